#pragma once

#include "video/VideoExportFormat.h"

#include <QDialog>

#include <string>
#include <vector>

class QButtonGroup;
class QLabel;

namespace cadrelle {

// "Video export": asks which format the recordings about to be framed get.
// Each dialog starts at the transparent HEVC format. "Export Video" (Return)
// accepts the selection; "Cancel" (Escape) and the close button reject it.
class VideoFormatDialog final : public QDialog {
    Q_OBJECT

public:
    explicit VideoFormatDialog(const std::vector<std::string>& fileNames,
                               QWidget* parent = nullptr);

    VideoExportFormat selection() const;
    // The file name, or how many recordings the answer applies to.
    QString subtitle() const;

private:
    QButtonGroup* rows_;
    QLabel* subtitle_;
};

} // namespace cadrelle
