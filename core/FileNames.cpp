#include "core/FileNames.h"

namespace {

bool IsSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

} // namespace

QString FileNamePart(const QString &path)
{
    qsizetype end = path.size();
    while (end > 0 && IsSeparator(path[end - 1]))
        --end;
    if (end == 0)
        return path;
    qsizetype start = end;
    while (start > 0 && !IsSeparator(path[start - 1]))
        --start;
    return path.mid(start, end - start);
}
