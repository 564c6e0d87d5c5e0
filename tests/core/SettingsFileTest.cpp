#include "core/SettingsFile.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingsFile, RoundTripKeepsTypesAndAwkwardText)
{
    SettingsFile::ValueMap m;
    m.insert(QStringLiteral("WndLeft"), QVariant(qlonglong(-1)));
    m.insert(QStringLiteral("StatusValue"), QVariant(qlonglong(0xFFFFFFFFLL)));
    m.insert(QStringLiteral("Pwd"), QVariant(QByteArray("\x01\x7f\x00\xff", 4)));
    m.insert(QStringLiteral("Empty"), QVariant(QByteArray()));
    m.insert(QStringLiteral("Text"), QVariant(QStringLiteral(" 宋体 \t\\x41 a=b [c] ;d\r\n\x01 ")));
    m.insert(QStringLiteral("At"), QVariant(QStringLiteral("@Int(5)")));
    m.insert(QStringLiteral("Semicolon"), QVariant(QStringLiteral(";not a comment")));
    m.insert(QStringLiteral("Blank"), QVariant(QString()));
    m.insert(QStringLiteral("na=me[]"), QVariant(QStringLiteral("x")));
    m.insert(QStringLiteral("BROADCAST_STR/0"), QVariant(QStringLiteral("192.168.2.255")));
    m.insert(QStringLiteral("A/B/0"), QVariant(QStringLiteral("deep")));
    m.insert(QStringLiteral("A/a"), QVariant(QStringLiteral("after the subsection")));
    const QByteArray file = SettingsFile::serialize(m);
    const SettingsFile::ParseResult r = SettingsFile::parse(file);
    EXPECT_EQ(r.status, SettingsFile::Status::Ok) << file.toStdString();
    EXPECT_EQ(r.values, m);
    EXPECT_EQ(r.values.value(QStringLiteral("WndLeft")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(r.values.value(QStringLiteral("Pwd")).typeId(), QMetaType::QByteArray);
    EXPECT_EQ(r.values.value(QStringLiteral("At")).typeId(), QMetaType::QString);
}

TEST(SettingsFile, BadLinesAreSkippedAndCounted)
{
    const QByteArray file = "root=1\n"
                            "no equals sign\n"
                            "=empty name\n"
                            "bad=\\q escape\n"
                            "n=@Int(12x)\n"
                            "b=@Bytes(abc)\n"
                            "u=@Unknown(1)\n"
                            "utf8=\xff\xfe\n"
                            "[sec\n"
                            "[ok]\n"
                            "v=2\r\n"
                            "[a//b]\n"
                            "lost=3\n"
                            "  ; comment\n"
                            "[]\n"
                            "back=4";
    const SettingsFile::ParseResult r = SettingsFile::parse(file);
    EXPECT_EQ(r.status, SettingsFile::Status::BadLines);
    EXPECT_EQ(r.badLines, 10);
    SettingsFile::ValueMap expected;
    expected.insert(QStringLiteral("root"), QStringLiteral("1"));
    expected.insert(QStringLiteral("ok/v"), QStringLiteral("2"));
    expected.insert(QStringLiteral("back"), QStringLiteral("4"));
    EXPECT_EQ(r.values, expected);

    EXPECT_EQ(SettingsFile::parse(QByteArray()).status, SettingsFile::Status::Ok);
    EXPECT_EQ(
        SettingsFile::parse(QByteArray(SettingsFile::MaxFileBytes + 1, 'a')).status, SettingsFile::Status::TooLarge);
}

} // namespace
