// The pages of the maker's site over arbitrary bytes: the marked section and
// the upgrade text read from it.
#include "FuzzCheck.h"
#include "core/Gbk.h"
#include "net/VersionPage.h"

#include <QByteArrayView>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView page(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (const bool normalize : {false, true}) {
        const VersionPage::Section s = VersionPage::ExtractSection(page, normalize);
        check(s.status == VersionPage::Status::Ok || s.gbk.isEmpty() || s.status == VersionPage::Status::Empty);
        const VersionPage::UpgradeInfo info =
            VersionPage::ParseUpgradeText(Gbk::decode(s.gbk), QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
        check(info.items.isEmpty() || info.items.startsWith(QStringLiteral("1、")));
    }
    // The upgrade text straight from the bytes, too.
    VersionPage::ParseUpgradeText(Gbk::decode(page), QDateTime());
    return 0;
}
