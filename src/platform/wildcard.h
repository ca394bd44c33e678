// File-name patterns of the folder listing: `*` stands for any run of
// characters, `?` for exactly one; letters match without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace morvane {

// Whether a pattern holds a wildcard at all.
bool hasWildcards(std::string_view pattern);

// Whether the UTF-8 name matches the UTF-8 pattern. "*.*" matches every name,
// with or without an extension, as the listing's users expect.
bool matchesWildcard(std::string_view pattern, std::string_view name);

// A pattern prepared once for matching many names, as a folder listing does.
class WildcardPattern {
  public:
    explicit WildcardPattern(std::string_view pattern);
    bool matches(std::string_view name) const;

  private:
    std::u32string keys_;
    bool everything_;
};

}  // namespace morvane
