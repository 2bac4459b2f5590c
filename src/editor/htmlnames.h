#pragma once
#include <span>
#include <string_view>

namespace ts {

// One element of HTML 4.01 or HTML5, its name and attributes in lower case.
struct THtmlElement {
    enum Flag : unsigned {
        Void = 1,        // never has content or an end tag
        OptionalEnd = 2, // its end tag may be left out
        RawText = 4,     // its content is text, whatever it looks like
    };
    const char* name;
    unsigned flags;
    // Its own attributes, the global ones not repeated; separated by spaces.
    const char* attributes;
    // For OptionalEnd: the elements whose start tag ends it implicitly.
    const char* closedBy;
};

// Every element, sorted by name.
std::span<const THtmlElement> htmlElements();
// The element of that name in any case; nullptr for a name HTML does not know.
const THtmlElement* findHtmlElement(std::string_view name);
// The attributes every element takes, separated by spaces.
std::string_view htmlGlobalAttributes();

} // namespace ts
