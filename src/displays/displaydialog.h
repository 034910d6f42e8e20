#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class DisplayDialog;
}

// Asks for a display's application category and room class, whose limits
// judge its tests.
class DisplayDialog : public QDialog
{
    Q_OBJECT

public:
    // `display` names the display for the operator; the combo boxes start at
    // the given ids (the first item where they offer none).
    DisplayDialog(const QString &display, const QString &category, const QString &roomClass,
                  QWidget *parent = nullptr);
    ~DisplayDialog() override;

    QString category() const;
    QString roomClass() const;
    // Offers the workstation too: the named ones known, and this station's own (empty).
    void offerWorkstations(const QString &workstation, const QStringList &known);
    QString workstation() const;

private:
    void offerCategories();

    std::unique_ptr<Ui::DisplayDialog> m_ui;
};
