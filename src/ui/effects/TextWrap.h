// Breaking lines of text to a width, shared by the two scrollers.
#pragma once

#include <QFont>
#include <QStringList>

namespace tessaly {

// Each line broken at word boundaries (anywhere between CJK characters) so that
// no piece is wider than `width`; a single word wider than that is broken too.
// An empty line stays one empty line.
QStringList wrapLines(const QStringList &lines, const QFont &font, int width);

}  // namespace tessaly
