#pragma once

#include "core/Installation.h"

#include <QObject>
#include <QUrl>

#include <functional>
#include <string>

namespace cadrelle {

// Where "Contact Support" leads and how it gets there: the support web page
// when the build was given one, else the README shipped with the program
// (found in the installation, the unpacked Debian package or the build
// folder alike). Opening goes through xdg-open; a failure is reported as a
// sentence. Main thread only.
class SupportLink final : public QObject {
    Q_OBJECT

public:
    using Failed = std::function<void(const std::string& sentence)>;

    // `builtAddress` is the support page given to the build, or empty.
    SupportLink(QString builtAddress, Installation installation, QObject* parent = nullptr);
    // Lets go of any xdg-open still waiting for its application, which keeps
    // running.
    ~SupportLink() override;

    QUrl address() const;
    // Opens the address with the desktop's default application; `failed`
    // runs, perhaps later, when that can't be done.
    void open(Failed failed);

signals:
    // An open() has come to its end, whether it failed or not.
    void openEnded();

private:
    const QString builtAddress_;
    const Installation installation_;
};

} // namespace cadrelle
