#pragma once

#include <QFileSystemWatcher>
#include <QListWidget>

namespace nimbar {

// Lists the parent entry and the subdirectories of the current directory; activating an
// entry moves into it. The list follows the folders as they are now: it is read again when
// it is shown and whenever the directory changes on disk (a new day's folder, say).
class DirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    QString directory() const { return m_directory; }
    void setDirectory(const QString& path);
    // Reads the current directory's folders again.
    void refresh();

signals:
    void directoryChanged(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void enter(QListWidgetItem* item);

    QString m_directory;
    QFileSystemWatcher m_watcher;
};

} // namespace nimbar
