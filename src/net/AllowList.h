#pragma once

#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

namespace nimbar {

// Who may connect to the programs' services. The allow-list file, Nimbar5610.allow in the
// program's home (Tessel5610.allow for the client), has one address or CIDR range a line:
//     192.168.10.0/24
//     10.1.2.3          # the lab's display PC
//     ::1
// Blanks around an entry and '#' comments are ignored. A line that is not an address or a range
// is skipped and its number kept, so that the caller can say so once.
// Without the file anyone may connect; with it, only the addresses it lists, the loopback
// included (list 127.0.0.1 to keep the clients on this machine).
class AllowList {
public:
    // Anyone may connect.
    AllowList() = default;

    // A missing file allows anyone; an unreadable one allows no one, with error line 0.
    static AllowList load(const QString& filePath);
    static AllowList parse(QByteArrayView text);

    // Whether the list limits anything at all (a file was there).
    bool restricts() const { return m_restricts; }
    bool allows(const QHostAddress& peer) const;
    // 1-based numbers of the skipped lines; 0 for an unreadable file.
    const QList<int>& errorLines() const { return m_errorLines; }

private:
    bool m_restricts = false;
    QList<QPair<QHostAddress, int>> m_ranges;
    QList<int> m_errorLines;
};

// The status text about the skipped lines of the allow-list file named fileName.
QString allowListErrorText(const QString& fileName, const QList<int>& lines, bool korean);

} // namespace nimbar
