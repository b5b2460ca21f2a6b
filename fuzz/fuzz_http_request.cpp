// What a web peer sends before its answer: request heads, whole, cut or garbage, with the
// checks that the web side makes on a head it took.
#include "web/HttpRequest.h"
#include "web/WebAccess.h"

#include <cstddef>
#include <cstdint>

using namespace nimbar;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    // The input as it comes, and cut at every length the server may see it.
    for (qsizetype cut : {bytes.size(), bytes.size() / 2, qsizetype(16)}) {
        const HeadParse parse = parseRequestHead(bytes.first(qMin(cut, bytes.size())));
        if (parse.result != HeadParse::Complete)
            continue;
        if (parse.length > bytes.size() || parse.length > kMaxHeadBytes)
            __builtin_trap();
        const HttpRequest& request = parse.request;
        request.keepAlive();
        request.wantsWebSocket();
        carriesToken(request, "token");
        namesLoopback(request);
        sameOrigin(request);
        request.query.queryItemValue("from", QUrl::FullyDecoded);
    }
    return 0;
}
