#include "VideoFormatDialog.h"

#include "LabelStyle.h"
#include "VideoFormatRow.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTextLayout>
#include <QVBoxLayout>

namespace cadrelle {
namespace {

constexpr QSize kSize(540, 435);
constexpr int kMargin = 24;
constexpr int kSubtitleLines = 2;

QString describeFormat(VideoExportFormat format) {
    switch (format) {
    case VideoExportFormat::mp4:
        return QStringLiteral("Works in most apps and players. No transparency.");
    case VideoExportFormat::hevcAlpha:
        return QStringLiteral("Smaller transparent files for compatible Apple apps and Safari.");
    case VideoExportFormat::proRes4444:
        return QStringLiteral("Transparent files for video editing. Much larger file sizes.");
    }
    return {};
}

QString subtitleFor(const std::vector<std::string>& fileNames) {
    if (fileNames.size() == 1) {
        return QString::fromStdString(fileNames.front());
    }
    return QStringLiteral("Apply this format to %1 recordings.").arg(fileNames.size());
}

// The lines `text` takes at `width`, broken between words where it can and
// anywhere inside a word too long for a line.
QStringList wrappedLines(const QString& text, const QFont& font, int width) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

// `text` on at most two lines; a longer text loses characters from its
// middle ("Simulator Screen Rec…10.00.00.mp4"), as many as it must.
QString twoLines(const QString& text, const QFont& font, int width) {
    QStringList lines = wrappedLines(text, font, width);
    if (lines.size() > kSubtitleLines) {
        qsizetype keep = 0; // characters kept from each end
        qsizetype tooMany = text.size() / 2 + 1;
        while (tooMany - keep > 1) {
            const qsizetype middle = (keep + tooMany) / 2;
            const QString shortened = text.left(middle) + QChar(0x2026) + text.right(middle);
            if (wrappedLines(shortened, font, width).size() <= kSubtitleLines) {
                keep = middle;
            } else {
                tooMany = middle;
            }
        }
        lines = wrappedLines(text.left(keep) + QChar(0x2026) + text.right(keep), font, width);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

VideoFormatDialog::VideoFormatDialog(const std::vector<std::string>& fileNames, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      rows_(new QButtonGroup(this)), subtitle_(new QLabel) {
    setWindowTitle(QStringLiteral("Video export"));
    setFixedSize(kSize);

    auto* title = new QLabel(QStringLiteral("Choose a video format"));
    setFontPoints(*title, 20, QFont::Bold);
    const QString subtitle = subtitleFor(fileNames);
    subtitle_->setTextFormat(Qt::PlainText);
    setSecondary(*subtitle_);
    subtitle_->setText(twoLines(subtitle, subtitle_->font(), kSize.width() - 2 * kMargin));
    subtitle_->setAccessibleName(subtitle);
    subtitle_->setToolTip(subtitle);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin - 4);
    layout->setSpacing(8);
    layout->addWidget(title);
    layout->addWidget(subtitle_);
    layout->addSpacing(6);
    for (const VideoExportFormat format : kAllVideoExportFormats) {
        auto* row = new VideoFormatRow(format, describeFormat(format));
        row->setChecked(format == VideoExportFormat::hevcAlpha);
        rows_->addButton(row);
        layout->addWidget(row);
    }

    auto* note = wrappedLabel(QStringLiteral("Transparent MOVs keep the area outside the device "
                                             "clear. The app you use them in must support video "
                                             "transparency."));
    setFontPoints(*note, 11);
    setSecondary(*note);
    layout->addSpacing(4);
    layout->addWidget(note);
    layout->addStretch(1);

    auto* buttons = new QDialogButtonBox;
    // Named here rather than by the platform theme, which may add a mnemonic.
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    QPushButton* exportVideo =
        buttons->addButton(QStringLiteral("Export Video"), QDialogButtonBox::AcceptRole);
    // Return always means "Export Video", whichever button has the focus;
    // Escape rejects the dialog through QDialog itself.
    cancel->setAutoDefault(false);
    exportVideo->setAutoDefault(false);
    exportVideo->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

VideoExportFormat VideoFormatDialog::selection() const {
    const auto* row = static_cast<const VideoFormatRow*>(rows_->checkedButton());
    return row != nullptr ? row->format() : VideoExportFormat::hevcAlpha;
}

QString VideoFormatDialog::subtitle() const {
    return subtitle_->accessibleName();
}

} // namespace cadrelle
