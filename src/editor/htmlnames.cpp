#include "editor/htmlnames.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace ts {

namespace {

constexpr unsigned V = THtmlElement::Void;
constexpr unsigned O = THtmlElement::OptionalEnd;
constexpr unsigned R = THtmlElement::RawText;

// The block elements that end an open paragraph.
#define TS_BLOCKS                                                                                             \
    "address article aside blockquote center details dialog dir div dl fieldset figcaption figure footer "  \
    "form h1 h2 h3 h4 h5 h6 header hgroup hr isindex main menu nav noframes noscript ol p pre search "       \
    "section table ul"
#define TS_CELL "abbr align axis bgcolor char charoff colspan headers height nowrap rowspan scope valign width"
#define TS_ROWS "align char charoff valign"

// Sorted by name.
const THtmlElement kElements[] = {
    {"a", 0,
     "accesskey charset coords download href hreflang name ping referrerpolicy rel rev shape tabindex target "
     "type onblur onfocus",
     ""},
    {"abbr", 0, "", ""},
    {"acronym", 0, "", ""},
    {"address", 0, "", ""},
    {"applet", 0, "align alt archive code codebase height hspace name object vspace width", ""},
    {"area", V,
     "accesskey alt coords download href hreflang nohref ping referrerpolicy rel shape tabindex target onblur "
     "onfocus",
     ""},
    {"article", 0, "", ""},
    {"aside", 0, "", ""},
    {"audio", 0, "autoplay controls crossorigin loop muted preload src", ""},
    {"b", 0, "", ""},
    {"base", V, "href target", ""},
    {"basefont", V, "color face size", ""},
    {"bdi", 0, "", ""},
    {"bdo", 0, "", ""},
    {"big", 0, "", ""},
    {"blockquote", 0, "cite", ""},
    {"body", O,
     "alink background bgcolor link text vlink onafterprint onbeforeprint onbeforeunload onhashchange "
     "onlanguagechange onmessage onoffline ononline onpagehide onpageshow onpopstate onstorage onunload",
     ""},
    {"br", V, "clear", ""},
    {"button", 0,
     "accesskey disabled form formaction formenctype formmethod formnovalidate formtarget name popovertarget "
     "popovertargetaction tabindex type value onblur onfocus",
     ""},
    {"canvas", 0, "height width", ""},
    {"caption", 0, "align", ""},
    {"center", 0, "", ""},
    {"cite", 0, "", ""},
    {"code", 0, "", ""},
    {"col", V, "align char charoff span valign width", ""},
    {"colgroup", O, "align char charoff span valign width", "caption colgroup tbody tfoot thead tr"},
    {"data", 0, "value", ""},
    {"datalist", 0, "", ""},
    {"dd", O, "", "dd dt"},
    {"del", 0, "cite datetime", ""},
    {"details", 0, "name open", ""},
    {"dfn", 0, "", ""},
    {"dialog", 0, "open", ""},
    {"dir", 0, "compact", ""},
    {"div", 0, "align", ""},
    {"dl", 0, "compact", ""},
    {"dt", O, "", "dd dt"},
    {"em", 0, "", ""},
    {"embed", V, "height src type width", ""},
    {"fieldset", 0, "disabled form name", ""},
    {"figcaption", 0, "", ""},
    {"figure", 0, "", ""},
    {"font", 0, "color face size", ""},
    {"footer", 0, "", ""},
    {"form", 0,
     "accept accept-charset action autocomplete enctype method name novalidate rel target onreset onsubmit", ""},
    {"frame", V, "frameborder longdesc marginheight marginwidth name noresize scrolling src", ""},
    {"frameset", 0, "cols rows onload onunload", ""},
    {"h1", 0, "align", ""},
    {"h2", 0, "align", ""},
    {"h3", 0, "align", ""},
    {"h4", 0, "align", ""},
    {"h5", 0, "align", ""},
    {"h6", 0, "align", ""},
    {"head", O, "profile", "body"},
    {"header", 0, "", ""},
    {"hgroup", 0, "", ""},
    {"hr", V, "align noshade size width", ""},
    {"html", O, "manifest version xmlns", ""},
    {"i", 0, "", ""},
    {"iframe", 0,
     "align allow allowfullscreen frameborder height loading longdesc marginheight marginwidth name "
     "referrerpolicy sandbox scrolling src srcdoc width",
     ""},
    {"img", V,
     "align alt border crossorigin decoding fetchpriority height hspace ismap loading longdesc name "
     "referrerpolicy sizes src srcset usemap vspace width",
     ""},
    {"input", V,
     "accept accesskey align alt autocomplete checked dirname disabled form formaction formenctype formmethod "
     "formnovalidate formtarget height ismap list max maxlength min minlength multiple name pattern "
     "placeholder popovertarget popovertargetaction readonly required size src step tabindex type usemap "
     "value width onblur onchange onfocus onselect",
     ""},
    {"ins", 0, "cite datetime", ""},
    {"isindex", V, "prompt", ""},
    {"kbd", 0, "", ""},
    {"keygen", V, "challenge disabled form keytype name", ""},
    {"label", 0, "accesskey for form onblur onfocus", ""},
    {"legend", 0, "accesskey align", ""},
    {"li", O, "type value", "li"},
    {"link", V,
     "as blocking charset crossorigin disabled fetchpriority href hreflang imagesizes imagesrcset integrity "
     "media referrerpolicy rel rev sizes target type",
     ""},
    {"main", 0, "", ""},
    {"map", 0, "name", ""},
    {"mark", 0, "", ""},
    {"menu", 0, "compact", ""},
    {"meta", V, "charset content http-equiv media name scheme", ""},
    {"meter", 0, "high low max min optimum value", ""},
    {"nav", 0, "", ""},
    {"noframes", 0, "", ""},
    {"noscript", 0, "", ""},
    {"object", 0,
     "align archive border classid codebase codetype data declare form height hspace name standby tabindex "
     "type typemustmatch usemap vspace width",
     ""},
    {"ol", 0, "compact reversed start type", ""},
    {"optgroup", O, "disabled label", "optgroup"},
    {"option", O, "disabled label selected value", "optgroup option"},
    {"output", 0, "for form name", ""},
    {"p", O, "align", TS_BLOCKS},
    {"param", V, "name type value valuetype", ""},
    {"picture", 0, "", ""},
    {"pre", 0, "width", ""},
    {"progress", 0, "max value", ""},
    {"q", 0, "cite", ""},
    {"rp", O, "", "rp rt"},
    {"rt", O, "", "rp rt"},
    {"ruby", 0, "", ""},
    {"s", 0, "", ""},
    {"samp", 0, "", ""},
    {"script", R,
     "async blocking charset crossorigin defer event for integrity language nomodule referrerpolicy src type",
     ""},
    {"search", 0, "", ""},
    {"section", 0, "", ""},
    {"select", 0, "autocomplete disabled form multiple name required size tabindex onblur onchange onfocus", ""},
    {"slot", 0, "name", ""},
    {"small", 0, "", ""},
    {"source", V, "height media sizes src srcset type width", ""},
    {"span", 0, "", ""},
    {"strike", 0, "", ""},
    {"strong", 0, "", ""},
    {"style", R, "blocking media type", ""},
    {"sub", 0, "", ""},
    {"summary", 0, "", ""},
    {"sup", 0, "", ""},
    {"table", 0, "align bgcolor border cellpadding cellspacing frame rules summary width", ""},
    {"tbody", O, TS_ROWS, "tbody tfoot"},
    {"td", O, TS_CELL, "tbody td tfoot th thead tr"},
    {"template", 0, "shadowrootclonable shadowrootdelegatesfocus shadowrootmode", ""},
    {"textarea", R,
     "accesskey autocomplete cols dirname disabled form maxlength minlength name placeholder readonly required "
     "rows tabindex wrap onblur onchange onfocus onselect",
     ""},
    {"tfoot", O, TS_ROWS, "tbody"},
    {"th", O, TS_CELL, "tbody td tfoot th thead tr"},
    {"thead", O, TS_ROWS, "tbody tfoot"},
    {"time", 0, "datetime", ""},
    {"title", R, "", ""},
    {"tr", O, "align bgcolor char charoff valign", "tbody tfoot thead tr"},
    {"track", V, "default kind label src srclang", ""},
    {"tt", 0, "", ""},
    {"u", 0, "", ""},
    {"ul", 0, "compact type", ""},
    {"var", 0, "", ""},
    {"video", 0, "autoplay controls crossorigin height loop muted playsinline poster preload src width", ""},
    {"wbr", V, "", ""},
};

#undef TS_BLOCKS
#undef TS_CELL
#undef TS_ROWS

// HTML 4.01's core, language and event attributes, and HTML5's global ones.
constexpr std::string_view kGlobal =
    "accesskey autocapitalize autofocus class contenteditable dir draggable enterkeyhint hidden id inert "
    "inputmode is itemid itemprop itemref itemscope itemtype lang nonce popover spellcheck style tabindex title "
    "translate onabort onblur oncancel oncanplay oncanplaythrough onchange onclick onclose oncontextmenu "
    "oncopy oncuechange oncut ondblclick ondrag ondragend ondragenter ondragleave ondragover ondragstart ondrop "
    "ondurationchange onemptied onended onerror onfocus oninput oninvalid onkeydown onkeypress onkeyup onload "
    "onloadeddata onloadedmetadata onloadstart onmousedown onmouseenter onmouseleave onmousemove onmouseout "
    "onmouseover onmouseup onpaste onpause onplay onplaying onprogress onratechange onreset onresize onscroll "
    "onseeked onseeking onselect onstalled onsubmit onsuspend ontimeupdate ontoggle onvolumechange onwaiting "
    "onwheel";

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; }

// The elements by first letter: where each letter's run in the table begins
// and ends. Closing an element looks up names of many tags at a keystroke.
struct Index {
    std::array<std::string_view, std::size(kElements)> names;
    std::array<std::pair<size_t, size_t>, 26> runs{};
    Index() {
        for (size_t k = 0; k < names.size(); ++k) {
            names[k] = kElements[k].name;
            auto& run = runs[size_t(names[k][0] - 'a')];
            if (run.first == run.second) run.first = k;
            run.second = k + 1;
        }
    }
};

const Index& byLetter() {
    static const Index i;
    return i;
}

} // namespace

std::span<const THtmlElement> htmlElements() { return kElements; }

const THtmlElement* findHtmlElement(std::string_view name) {
    if (name.empty()) return nullptr;
    const char first = lower(name[0]);
    if (first < 'a' || first > 'z') return nullptr;
    const Index& i = byLetter();
    const auto [from, to] = i.runs[size_t(first - 'a')];
    for (size_t k = from; k < to; ++k) {
        const std::string_view n = i.names[k];
        if (n.size() == name.size() &&
            std::equal(n.begin() + 1, n.end(), name.begin() + 1, [](char a, char b) { return a == lower(b); }))
            return &kElements[k];
    }
    return nullptr;
}

std::string_view htmlGlobalAttributes() { return kGlobal; }

} // namespace ts
