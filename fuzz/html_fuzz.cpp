// The HTML rewrites over arbitrary page bytes: no crash, no read past the
// input, and the invariants the callers rely on.
#include "core/HtmlFile.h"

#include <QByteArrayView>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView page(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // Every rule turns markup into something no longer: "<br>" into two bytes,
    // an entity into at most four.
    if (NormalizeHtml(page).size() > page.size())
        std::abort();
    const quint32 color = size >= 3 ? (data[0] | (data[1] << 8) | (data[2] << 16)) : 0x00FFFFFF;
    if (const auto out = SetHtmlBodyBackground(page, color)) {
        // The rewrite only touches the body tag: applying it again is stable.
        const auto again = SetHtmlBodyBackground(*out, color);
        if (!again || *again != *out)
            std::abort();
    }
    return 0;
}
