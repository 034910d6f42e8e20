#pragma once

#include "displayrecord.h"

#include <QMap>
#include <QWidget>

#include <memory>

class ConfigurationManager;
class DisplaysModel;

namespace Ui {
class DisplaysPage;
}

// Every display the store knows, with its category and room class, the date
// of its reference values and its last test. The operator classifies a
// display here (DisplayDialog) and may make any of its stored acceptance
// tests its reference, after a repair for example.
class DisplaysPage : public QWidget
{
    Q_OBJECT

public:
    explicit DisplaysPage(ConfigurationManager *store, QWidget *parent = nullptr);
    ~DisplaysPage() override;

public Q_SLOTS:
    void reload();
    void retranslate();
    // These act on the chosen row.
    void classifyChosen();
    void chooseReference();
    void calibrateChosen();
    // How long each display's tasks are overdue, by display key, as the operator reads it.
    void setOverdue(const QMap<QString, QString> &overdue);

private:
    const DisplayRecord *chosenDisplay() const;
    void updateButtons();

    std::unique_ptr<Ui::DisplaysPage> m_ui;
    ConfigurationManager *m_store;
    DisplaysModel *m_model;
    QMap<QString, QString> m_overdue;
};
