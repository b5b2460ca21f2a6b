#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <map>

namespace nimbar {

// The configuration names a serial port by the number n of "COM<n>". This binds those names to
// the devices of the machine.
//
// The port map file, Nimbar5610.ports in the program's directory, has one binding a line:
//     COM<n>=<device path>        for example  COM3=/dev/ttyUSB0  or  COM9=/tmp/karn/board1
// n is 1..9999 ("COM" in any case); blanks around the parts are ignored; blank lines and lines
// starting with '#' are skipped. Any other line, and a second binding of the same n, is skipped
// and its line number kept, so that the caller can show one status-bar message about it.
// Any tty can be bound, pseudo-terminals included.
//
// Serial ports that the system reports and the file does not bind are named by this rule:
//     ttyS<k>   -> COM<k + 1>     k = 0..15  (COM1..COM16)
//     ttyUSB<k> -> COM<k + 17>    k = 0..15  (COM17..COM32)
//     ttyACM<k> -> COM<k + 33>    k = 0..15  (COM33..COM48)
// Other ports, and higher k, get no name of their own: bind them in the file. A binding in the
// file wins over the rule for its n. On Windows the system's own "COM<n>" names are used as
// they are.
class PortMap {
public:
    PortMap() = default;

    // Reads the file; a missing file is an empty map without errors, an unreadable one an
    // empty map with error line 0.
    static PortMap load(const QString& filePath);
    static PortMap parse(QByteArrayView text);

    // Adds or replaces a binding.
    void insert(int number, const QString& devicePath);
    // The bound device path of COM<number>; empty when the file does not bind it.
    QString mappedPath(int number) const;
    // The device to open for a "COM<n>" name: the binding, else the naming rule; empty when
    // the name is not "COM<n>" or neither gives a device.
    QString devicePath(QStringView comName) const;
    // 1-based numbers of the skipped lines.
    const QList<int>& errorLines() const { return m_errorLines; }
    const std::map<int, QString>& bindings() const { return m_bindings; }

    // The "COM" names of the bindings and of the detected system ports (names as the system
    // reports them, "ttyUSB0", or device paths) that are not bound: sorted as text, without
    // duplicates ("COM1", "COM10", "COM2").
    QStringList comNames(const QStringList& detectedPorts) const;

private:
    std::map<int, QString> m_bindings;
    QList<int> m_errorLines;
};

// n of a "COM<n>" name with n >= 1, read as "COM%d" reads it; 0 for anything else.
int comPortNumber(QStringView comName);
// The naming rule: "COM<n>" of a system port name ("ttyUSB0" or "/dev/ttyUSB0"); empty if the
// rule gives it none.
QString comNameForSystemPort(QStringView systemPort);
// The naming rule backwards: the device path of COM<n>; empty if the rule has none.
QString systemPortForComNumber(int number);

// Where udev names USB serial adapters after their make and serial number.
inline constexpr char kSerialByIdDirectory[] = "/dev/serial/by-id";
// The link in byIdDirectory that leads to devicePath ("/dev/ttyUSB0"); empty when none does.
QString serialByIdLink(const QString& byIdDirectory, const QString& devicePath);
// Adds "COM<number>=<devicePath>" as a line of the port map file; false when it cannot.
bool appendPortBinding(const QString& filePath, int number, const QString& devicePath);

// The names the port combos list: the bindings of map and the serial ports present on the
// machine, by comNames.
QStringList EnumComPorts(const PortMap& map);

} // namespace nimbar
