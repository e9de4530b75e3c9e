#include "RunCadrelle.h"

#include <QProcess>
#include <QStringList>

namespace cadrelle::test {

Outcome runCadrelle(const std::vector<std::string>& arguments,
                    const std::filesystem::path& folder) {
    return runCadrelle(arguments, folder, {});
}

Outcome runCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                    const std::function<void()>& inChild) {
    QStringList list;
    for (const auto& argument : arguments) {
        list << QString::fromStdString(argument);
    }
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    if (inChild) {
        process.setChildProcessModifier(inChild);
    }
    process.start(QStringLiteral(CADRELLE_EXECUTABLE), list);
    process.waitForFinished(120'000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

} // namespace cadrelle::test
