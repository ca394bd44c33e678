#include "engine/steps.h"

#include <new>
#include <stdexcept>
#include <string>

namespace morvane {

Procedure& Procedure::step(int number, Body body) { return step(number, std::move(body), number + 1); }

Procedure& Procedure::step(int number, Body body, int after) {
    steps_.insert_or_assign(number, Step{std::move(body), after});
    return *this;
}

namespace {

// Runs one body; any failure, including the host's own exceptions, reaches
// the handler as a Failure so that no error of a run escapes it.
template <typename Body>
bool attempt(const Body& body, const FailureHandler& onFailure, Resume& resume) {
    try {
        body();
        return true;
    } catch (const Failure& failure) {
        resume = onFailure(failure);
    } catch (const std::bad_alloc&) {
        resume = onFailure(Failure(err::kOutOfMemory));
    } catch (const std::exception& e) {
        resume = onFailure(Failure(err::kInternal, std::string(standardDescription(err::kInternal)) +
                                                       ": " + e.what()));
    }
    return false;
}

}  // namespace

Outcome Procedure::run(const FailureHandler& onFailure, int first) const {
    int current = first;
    for (;;) {
        if (current == kReturn) return Outcome::Returned;
        if (current == kExitRun) return Outcome::ExitRun;
        auto it = steps_.find(current);
        if (it == steps_.end()) {
            throw std::logic_error("step " + std::to_string(current) + " does not exist");
        }
        int next = kReturn;
        Resume resume = Resume::Next;
        if (attempt([&] { next = it->second.body(); }, onFailure, resume)) {
            current = next;
        } else if (resume == Resume::Next) {
            current = it->second.after;
        }
        // Resume::Again leaves `current` where it is.
    }
}

}  // namespace morvane
