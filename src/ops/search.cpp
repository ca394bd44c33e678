#include "ops/search.h"

#include "platform/failure.h"

namespace morvane {

// Placeholder until the search is built.
bool BuscaCadena(Components&, const std::string&, const std::string&) { throw Failure(err::kInternal); }

}  // namespace morvane
