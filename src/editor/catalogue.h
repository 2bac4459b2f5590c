#pragma once
#include <QString>

#include <optional>
#include <vector>

namespace ts {

// One row of the Components tree: a group (with rows below it) or an entry.
struct TComponentNode {
    QString caption;
    bool group = false;
    std::optional<QString> snippet;  // entries only; some entries have none
    std::vector<TComponentNode> children;
};

// The catalogue's groups in display order.
const std::vector<TComponentNode>& componentCatalogue();

// The snippet of the entry with exactly this caption (case-sensitive); none
// for groups, for entries without a snippet and for unknown captions.
std::optional<QString> snippetFor(const QString& caption);

} // namespace ts
