#include "dicomexportdialog.h"
#include "ui_dicomexportdialog.h"

#include "dicomexport.h"
#include "translator.h"

#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

// The size the canvas draws at on that screen: its device pixels.
QSize deviceSize(const QScreen *screen)
{
    return screen ? (QSizeF(screen->size()) * screen->devicePixelRatio()).toSize() : QSize();
}

} // namespace

DicomExportDialog::DicomExportDialog(const QStringList &screenItems, int current, QWidget *parent)
    : QDialog(parent), m_ui(new Ui::DicomExportDialog)
{
    m_ui->setupUi(this);
    TR::Translator::instance()->translateObject(this, true);
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (int index = 0; index < screenItems.size() && index < screens.size(); ++index) {
        const QSize size = deviceSize(screens.at(index));
        m_ui->screenComboBox->addItem(
            QStringLiteral("%1 (%2 x %3)").arg(screenItems.at(index)).arg(size.width()).arg(size.height()), size);
    }
    m_ui->screenComboBox->setCurrentIndex(qMax(0, current));
    // The style's size for the chooser leaves the last letters of a long
    // screen name a few pixels short of room.
    m_ui->screenComboBox->setMinimumWidth(m_ui->screenComboBox->sizeHint().width() +
                                          m_ui->screenComboBox->fontMetrics().averageCharWidth());
    m_ui->bitsComboBox->addItem(QStringLiteral("8"), 8);
    m_ui->bitsComboBox->addItem(QStringLiteral("12"), 12);
    m_ui->folderLineEdit->setText(QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                      .filePath(QStringLiteral("Lumivex DICOM")));
    connect(m_ui->browsePushButton, &QPushButton::clicked, this, &DicomExportDialog::chooseFolder);
    connect(m_ui->cancelPushButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->exportPushButton, &QPushButton::clicked, this, &DicomExportDialog::exportSet);
}

DicomExportDialog::~DicomExportDialog() = default;

void DicomExportDialog::chooseFolder()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, translated("dicom_exportFolder"), m_ui->folderLineEdit->text());
    if (!folder.isEmpty())
        m_ui->folderLineEdit->setText(QDir::toNativeSeparators(folder));
}

void DicomExportDialog::exportSet()
{
    const QString folder = m_ui->folderLineEdit->text().trimmed();
    const QSize size = m_ui->screenComboBox->currentData().toSize();
    if (folder.isEmpty()) {
        showStatus(true, translated("dicom_exportNoFolder"));
        return;
    }
    if (size.isEmpty()) {
        showStatus(true, translated("dicom_exportFailed").arg(translated("dicom_exportNoScreen")));
        return;
    }
    showStatus(false, QString());
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const DicomExport::Result result = DicomExport::write(folder, size, m_ui->bitsComboBox->currentData().toInt());
    QGuiApplication::restoreOverrideCursor();
    if (!result.succeeded()) {
        showStatus(true, translated("dicom_exportFailed").arg(result.error));
        return;
    }
    showStatus(false, translated("dicom_exportDone").arg(result.files.size()).arg(QDir::toNativeSeparators(folder)));
    m_ui->cancelPushButton->setText(translated("dicom_exportClose"));
}

void DicomExportDialog::showStatus(bool failed, const QString &text)
{
    m_ui->statusLabel->setStyleSheet(failed ? QStringLiteral("color: #b00020;") : QString());
    m_ui->statusLabel->setText(text);
}
