#include "ui/RecentFiles.h"

#include <QFile>
#include <exception>

#include "common/Files.h"

namespace epinax::ui {

namespace {

constexpr size_t kStoreLimit = 64 * 1024;  // eight paths, each at most PATH_MAX

}  // namespace

TRecentFiles::TRecentFiles(std::string storePath) : storePath_(std::move(storePath))
{
    std::optional<std::string> kept;
    try {
        kept = ReadRegularFileUpTo(storePath_, kStoreLimit, TLinks::Refuse);
    } catch (const std::exception&) {
        return;  // none yet, or not ours: the list starts empty
    }
    if (!kept) return;
    for (const QByteArray& line : QByteArray::fromStdString(*kept).split('\n'))
        if (!line.isEmpty() && paths_.size() < kMost) paths_ << QFile::decodeName(line);
}

void TRecentFiles::Add(const QString& path)
{
    // A name with a line break cannot be kept one per line; it is not offered.
    if (path.contains(QLatin1Char('\n'))) return;
    paths_.removeAll(path);
    paths_.prepend(path);
    while (paths_.size() > kMost) paths_.removeLast();
    Keep();
}

void TRecentFiles::Remove(const QString& path)
{
    paths_.removeAll(path);
    Keep();
}

// The list is a convenience: a store that cannot be written leaves it for
// this run only, and says nothing.
void TRecentFiles::Keep() const
{
    std::string text;
    for (const QString& path : paths_) text += QFile::encodeName(path).toStdString() + '\n';
    try {
        ReplaceFile(storePath_, text);
    } catch (const std::exception&) {
    }
}

}  // namespace epinax::ui
