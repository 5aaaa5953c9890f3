// Finding and replacing in a field's text (field text, framework/
// FieldText.h): text as it is; in a Hex field, bytes, matched whole whatever
// blanks and line breaks lie between their digits, paired as a conversion
// pairs them.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace dalvren {

// What to look for.
struct CSearch {
  // As typed: text, or for a Hex field hexadecimal digits and blanks.
  QString what;
  // The field holds hexadecimal digits.
  bool hex = false;
  // Text only: upper and lower case differ.
  bool matchCase = false;
};

// Where a match lies in the field text: [from, to).
struct CFieldMatch {
  qsizetype from = 0;
  qsizetype to = 0;

  friend bool operator==(const CFieldMatch&, const CFieldMatch&) = default;
};

// Why `digits`, as typed to find or to put in a Hex field, will not do, or
// empty when it will: it must hold hexadecimal digits and blanks only, and
// an even number of digits (at least one pair unless `emptyOk`).
[[nodiscard]] QString HexProblem(const QString& digits, bool emptyOk);

// The first match in `text` that starts at or after `from`, else the first
// one of all (the search wraps round); nothing when there is none. `search`
// must be valid (HexProblem empty for a Hex field, `what` not empty).
[[nodiscard]] std::optional<CFieldMatch> FindInField(const QString& text,
                                                     const CSearch& search,
                                                     qsizetype from);

// What takes the place of the match `matched` when it is replaced by
// `with`: `with` itself for text; for a Hex field its bytes as upper-case
// digit pairs, separated by blanks when `matched` has blanks or line breaks
// between its digits, else written together.
[[nodiscard]] QString Replacement(const CSearch& search, const QString& with,
                                  QStringView matched);

// `text` with every match of `search` replaced by `with`, matches found
// from the start and not overlapping; `*count` is how many were replaced.
[[nodiscard]] QString ReplaceAllInField(const QString& text,
                                        const CSearch& search,
                                        const QString& with, qsizetype* count);

}  // namespace dalvren
