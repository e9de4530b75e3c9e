#include "updates/Appcast.h"
#include "core/AppError.h"
#include "updates/Ed25519Verifier.h"
#include "updates/UpdateTestServer.h"
#include "updates/Version.h"

#include <gtest/gtest.h>

namespace cadrelle {
namespace {

AppcastItem release(const std::string& version) {
    return {version,
            "v" + version,
            "Fixes for " + version,
            "https://cadrelle.example/download",
            "https://cadrelle.example/Cadrelle-" + version + ".tar.gz",
            1234,
            QByteArray(64, 'S')};
}

std::string refusal(const QByteArray& document) {
    try {
        Appcast::parse(document);
        return "accepted";
    } catch (const AppError& error) {
        return error.message();
    }
}

TEST(Appcast, ReadsValidItemsAndSkipsMalformedOnes) {
    std::vector<AppcastItem> items = {release("0.9.9"), release("0.10.0"), release("0.2.0")};
    const auto broken = [&](auto change) {
        AppcastItem item = release("9.0.0");
        change(item);
        items.push_back(item);
    };
    broken([](AppcastItem& item) { item.url = "http://cadrelle.example/plain.tar.gz"; });
    broken([](AppcastItem& item) { item.length = -5; });
    broken([](AppcastItem& item) { item.length = 0; });
    broken([](AppcastItem& item) { item.signature = QByteArray(63, 'S'); });
    broken([](AppcastItem& item) { item.version = "9.0.0-beta"; });
    broken([](AppcastItem& item) { item.notes.clear(); });
    broken([](AppcastItem& item) { item.link.clear(); });
    QByteArray document = test::UpdateTestServer::feed(items);
    // A length that isn't a number and a signature that isn't Base64.
    const QByteArray wordy = test::UpdateTestServer::itemXml(release("9.1.0"))
                                 .replace("length=\"1234\"", "length=\"12kB\"");
    const QByteArray unreadable = test::UpdateTestServer::itemXml(release("9.2.0"))
                                      .replace(QByteArray(64, 'S').toBase64(), "not*base64");
    document.replace("</channel>", wordy + unreadable + "</channel>");
    const Appcast feed = Appcast::parse(document);
    ASSERT_EQ(feed.items().size(), 3u);
    const AppcastItem& first = feed.items()[0];
    EXPECT_EQ(first.shortVersion, "v0.9.9");
    EXPECT_EQ(first.notes, "Fixes for 0.9.9");
    EXPECT_EQ(first.link, "https://cadrelle.example/download");
    EXPECT_EQ(first.url, "https://cadrelle.example/Cadrelle-0.9.9.tar.gz");
    EXPECT_EQ(first.length, 1234);
    EXPECT_EQ(first.signature, QByteArray(64, 'S'));

    EXPECT_EQ(feed.newestAbove("0.2.0")->version, "0.10.0") << "numeric, not text, order";
    EXPECT_FALSE(feed.newestAbove("0.10.0").has_value());
    EXPECT_FALSE(feed.newestAbove("0.10.0.0").has_value());
    EXPECT_TRUE(Appcast::parse(test::UpdateTestServer::feed({})).items().empty());
}

TEST(Appcast, RefusesHostileAndForeignDocuments) {
    const std::string invalid = "The update feed isn't a valid feed.";
    const QByteArray good = test::UpdateTestServer::feed({release("1.0.0")});
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY a \"aaaaaaaaaa\">"
                              "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                              "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
                              "<rss><channel><title>&c;</title></channel></rss>";
    EXPECT_EQ(refusal(laughs), invalid);
    QByteArray external = good;
    external.replace("<rss", "<!DOCTYPE rss [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><rss");
    external.replace("Fixes for 1.0.0", "&x;");
    EXPECT_EQ(refusal(external), invalid);
    EXPECT_EQ(refusal("{\"not\": \"xml\"}"), invalid);
    EXPECT_EQ(refusal("<feed><entry/></feed>"), invalid) << "XML, but not RSS";
    EXPECT_EQ(refusal(good.left(good.size() - 10)), invalid) << "cut short";
    QByteArray huge = good;
    huge.replace("Fixes for 1.0.0", QByteArray(Appcast::maximumSize, 'x'));
    EXPECT_EQ(refusal(huge), "The update feed is larger than 1 MiB.");
    EXPECT_EQ(refusal(good), "accepted");
}

TEST(Appcast, ComparesVersionsNumerically) {
    const auto v = [](const char* text) { return *Version::parse(text); };
    EXPECT_GT(v("0.10.0"), v("0.9.9"));
    EXPECT_EQ(v("1.0"), v("1.0.0"));
    EXPECT_LT(v("1.0.0"), v("1.0.1"));
    EXPECT_GT(v("2"), v("1.99.99"));
    for (const char* bad :
         {"", "1.", ".1", "1..2", "1.a", "-1.0", "+1", "1.0 ", "99999999999999999999"}) {
        EXPECT_FALSE(Version::parse(bad).has_value()) << bad;
    }
}

TEST(Appcast, AcceptsOnlyTheSignatureOfTheExactBytes) {
    const test::TestSigningKey key;
    const Ed25519Verifier verifier(key.publicKey());
    const QByteArray archive = "archive bytes \x01\x02\x03";
    QByteArray signature = key.sign(archive);
    EXPECT_TRUE(verifier.verify(archive, signature));
    QByteArray changed = archive;
    changed[3] = static_cast<char>(changed[3] ^ 1);
    EXPECT_FALSE(verifier.verify(changed, signature));
    signature[10] = static_cast<char>(signature[10] ^ 1);
    EXPECT_FALSE(verifier.verify(archive, signature));
    EXPECT_FALSE(verifier.verify(archive, key.sign(archive).left(63)));
    EXPECT_FALSE(
        Ed25519Verifier(test::TestSigningKey().publicKey()).verify(archive, key.sign(archive)))
        << "another key";
}

} // namespace
} // namespace cadrelle
