#include "UpdateConfiguration.h"

#include <QByteArray>
#include <QUrl>

namespace cadrelle {

UpdateConfiguration UpdateConfiguration::of(const BuildInformation& information) {
    return {std::string(information.updateFeedURL), std::string(information.updatePublicKey),
            std::string(information.updateCertificateAuthorities)};
}

bool UpdateConfiguration::isSound() const {
    const QUrl url(QString::fromStdString(feedURL), QUrl::StrictMode);
    // The scheme is compared as written: QUrl would accept "HTTPS" as well.
    const bool feedSound =
        url.isValid() && !url.host().isEmpty() && feedURL.rfind("https:", 0) == 0;
    const auto key = QByteArray::fromBase64Encoding(QByteArray::fromStdString(publicEDKey),
                                                    QByteArray::AbortOnBase64DecodingErrors);
    return feedSound && key && key.decoded.size() == 32;
}

} // namespace cadrelle
