#include "Appcast.h"

#include "core/AppError.h"
#include "updates/Version.h"

#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>
#include <map>

namespace cadrelle {
namespace {

const QString kSparkle = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

[[noreturn]] void refuse() {
    throw AppError("The update feed isn't a valid feed.");
}

bool hasHost(const QString& address, bool httpsOnly) {
    const QUrl url(address, QUrl::StrictMode);
    const bool secure = url.scheme() == QStringLiteral("https");
    return url.isValid() && !url.host().isEmpty() &&
           (secure || (!httpsOnly && url.scheme() == QStringLiteral("http")));
}

// The item's fields as written, keyed by their qualified names.
using RawItem = std::map<QString, QString>;

RawItem readItem(QXmlStreamReader& xml) {
    RawItem raw;
    while (xml.readNextStartElement()) {
        const bool sparkle = xml.namespaceUri() == kSparkle;
        const QString name = xml.name().toString();
        if (name == QStringLiteral("enclosure") && xml.namespaceUri().isEmpty()) {
            const QXmlStreamAttributes attributes = xml.attributes();
            raw[QStringLiteral("enclosure:url")] =
                attributes.value(QStringLiteral("url")).toString();
            raw[QStringLiteral("enclosure:length")] =
                attributes.value(QStringLiteral("length")).toString();
            raw[QStringLiteral("enclosure:edSignature")] =
                attributes.value(kSparkle, QStringLiteral("edSignature")).toString();
            xml.skipCurrentElement();
        } else if (sparkle || xml.namespaceUri().isEmpty()) {
            const QString key = sparkle ? QStringLiteral("sparkle:") + name : name;
            raw[key] = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else {
            xml.skipCurrentElement();
        }
    }
    return raw;
}

// The item, or nothing when a field is missing or malformed.
std::optional<AppcastItem> validItem(const RawItem& raw) {
    const auto field = [&raw](const char* name) {
        const auto found = raw.find(QString::fromLatin1(name));
        return found == raw.end() ? QString() : found->second;
    };
    AppcastItem item;
    item.version = field("sparkle:version").toStdString();
    item.shortVersion = field("sparkle:shortVersionString").toStdString();
    item.notes = field("description").toStdString();
    item.link = field("link").toStdString();
    item.url = field("enclosure:url").toStdString();
    bool numeric = false;
    const QString length = field("enclosure:length");
    item.length = length.toLongLong(&numeric);
    // Only digits: toLongLong would take a sign and surrounding spaces.
    numeric = numeric && !length.isEmpty() &&
              std::all_of(length.begin(), length.end(), [](QChar c) { return c.isDigit(); });
    const auto signature = QByteArray::fromBase64Encoding(field("enclosure:edSignature").toLatin1(),
                                                          QByteArray::AbortOnBase64DecodingErrors);
    if (!Version::parse(item.version) || item.shortVersion.empty() || item.notes.empty() ||
        !hasHost(field("link"), false) || !hasHost(field("enclosure:url"), true) || !numeric ||
        item.length <= 0 || !signature || signature.decoded.size() != 64) {
        return std::nullopt;
    }
    item.signature = signature.decoded;
    return item;
}

} // namespace

Appcast Appcast::parse(const QByteArray& document) {
    if (document.size() > maximumSize) {
        throw AppError("The update feed is larger than 1 MiB.");
    }
    QXmlStreamReader xml(document);
    // A document type declaration comes before the root element; with none,
    // every entity reference other than the predefined ones is an error.
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::StartElement) {
        if (xml.tokenType() == QXmlStreamReader::DTD) {
            refuse();
        }
    }
    if (xml.hasError() || xml.name() != QStringLiteral("rss")) {
        refuse();
    }
    Appcast feed;
    while (xml.readNextStartElement()) {
        if (xml.name() != QStringLiteral("channel")) {
            xml.skipCurrentElement();
            continue;
        }
        while (xml.readNextStartElement()) {
            if (xml.name() != QStringLiteral("item")) {
                xml.skipCurrentElement();
            } else if (auto item = validItem(readItem(xml))) {
                feed.items_.push_back(std::move(*item));
            }
        }
    }
    if (xml.hasError()) {
        refuse();
    }
    return feed;
}

std::optional<AppcastItem> Appcast::newestAbove(const std::string& runningVersion) const {
    std::optional<AppcastItem> newest;
    std::optional<Version> newestVersion = Version::parse(runningVersion);
    for (const AppcastItem& item : items_) {
        const Version version = *Version::parse(item.version);
        if (!newestVersion || version > *newestVersion) {
            newest = item;
            newestVersion = version;
        }
    }
    return newest;
}

} // namespace cadrelle
