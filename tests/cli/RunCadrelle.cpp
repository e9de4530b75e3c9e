#include "RunCadrelle.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include <memory>

namespace cadrelle::test {

namespace {

std::unique_ptr<QProcess> start(const std::vector<std::string>& arguments,
                                const std::filesystem::path& folder,
                                const std::filesystem::path& standardOutput = {},
                                const std::function<void()>& inChild = {}) {
    QStringList list;
    for (const auto& argument : arguments) {
        list << QString::fromStdString(argument);
    }
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(QString::fromStdString(folder.string()));
    if (!standardOutput.empty()) {
        process->setStandardOutputFile(QString::fromStdString(standardOutput.string()));
    }
    if (inChild) {
        process->setChildProcessModifier(inChild);
    }
    process->start(QStringLiteral(CADRELLE_EXECUTABLE), list);
    return process;
}

Outcome finish(QProcess& process) {
    process.waitForFinished(120'000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

} // namespace

Outcome runCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                    const std::filesystem::path& standardOutput) {
    return finish(*start(arguments, folder, standardOutput));
}

void expectFailure(const Outcome& outcome, const std::string& message) {
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Error: " + message + "\n");
    EXPECT_EQ(outcome.out, "");
}

Outcome runCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                    const std::function<void()>& inChild) {
    return finish(*start(arguments, folder, {}, inChild));
}

std::vector<Outcome> runCadrelleTogether(const std::vector<std::vector<std::string>>& runs,
                                         const std::filesystem::path& folder) {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const auto& arguments : runs) {
        processes.push_back(start(arguments, folder));
    }
    std::vector<Outcome> outcomes;
    for (const auto& process : processes) {
        outcomes.push_back(finish(*process));
    }
    return outcomes;
}

} // namespace cadrelle::test
