// Nimbar5610.allow, and peers judged against it.
#include "net/AllowList.h"

#include <cstddef>
#include <cstdint>

using namespace nimbar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const AllowList list = AllowList::parse(QByteArrayView(data, static_cast<qsizetype>(size)));
    for (const char* peer : {"127.0.0.1", "::ffff:192.168.1.2", "fe80::1", "10.0.0.255"})
        list.allows(QHostAddress(QString::fromLatin1(peer)));
    allowListErrorText("Nimbar5610.allow", list.errorLines(), size % 2 == 0);
    return 0;
}
