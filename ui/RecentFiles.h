// The statements last opened or saved, newest first, kept in a file of the
// program directory between runs.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace epinax::ui {

class TRecentFiles {
public:
    static constexpr int kMost = 8;

    // Reads the list kept at `storePath`; a missing or unreadable one is empty.
    explicit TRecentFiles(std::string storePath);

    const QStringList& Paths() const { return paths_; }
    // To the front (once only), the oldest beyond kMost dropped; kept at once.
    void Add(const QString& path);
    void Remove(const QString& path);

private:
    void Keep() const;

    std::string storePath_;
    QStringList paths_;
};

}  // namespace epinax::ui
