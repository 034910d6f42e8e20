#pragma once

#include "metersettings.h"

#include <QList>
#include <QPair>
#include <QWidget>

#include <functional>
#include <memory>

class MeterReader;
struct MeterReply;

namespace Ui {
class MeterSettingsPage;
}

// The page where the operator names the meter program and instrument, the
// display type, whether the meter reads in contact with the screen and how
// long a pattern settles; a trial reading shows whether it all works.
class MeterSettingsPage : public QWidget
{
    Q_OBJECT

public:
    explicit MeterSettingsPage(QWidget *parent = nullptr);
    ~MeterSettingsPage() override;

    MeterSettings shownSettings() const;
    void showSettings(const MeterSettings &settings);
    // The fields of another group of settings, shown below the meter's (each with
    // the key of its label), saved and reloaded with them.
    void addGroup(const QList<QPair<QString, QWidget *>> &fields, const std::function<bool()> &save,
                  const std::function<void()> &reload);

public Q_SLOTS:
    // Shows what the settings file holds now.
    void reload();
    bool save();
    void tryReading();

Q_SIGNALS:
    void saved();

private:
    void showReply(const MeterReply &reply);
    void showStatus(const QString &text, bool problem);

    std::unique_ptr<Ui::MeterSettingsPage> m_ui;
    // The settings last shown, with the values of keys the page has no field for.
    MeterSettings m_shown;
    MeterReader *m_reader = nullptr;
    QList<std::function<bool()>> m_groupSaves;
    QList<std::function<void()>> m_groupReloads;
};
