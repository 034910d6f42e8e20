#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class DicomExportDialog;
}

// Writes the DICOM test set for a screen: the operator picks the screen under
// test (its size in device pixels is the images' size), the bit depth and the
// folder. The dialog says in its own status line what was written, or why
// nothing was, and stays open for another export.
class DicomExportDialog : public QDialog
{
    Q_OBJECT

public:
    // The screens as the program names them, index for index; current is the one preselected.
    DicomExportDialog(const QStringList &screenItems, int current, QWidget *parent = nullptr);
    ~DicomExportDialog() override;

private:
    void chooseFolder();
    void exportSet();
    void showStatus(bool failed, const QString &text);

    std::unique_ptr<Ui::DicomExportDialog> m_ui;
};
