#pragma once

#include <QDate>

class ConfigurationManager;
class RetentionPolicy;
class SavedSessionsModel;
class QWidget;

// "Delete" on the saved-sessions page: asks who withdraws the session and why,
// and once more, saying why, when the law still asks that its record is kept.
class SessionWithdrawal
{
public:
    SessionWithdrawal(ConfigurationManager *store, SavedSessionsModel *model, const RetentionPolicy &policy);

    // True when the session at the row was withdrawn.
    bool run(QWidget *parent, int row, const QDate &today);

private:
    bool confirmWithinRetention(QWidget *parent, int row, const QDate &today) const;

    ConfigurationManager *m_store;
    SavedSessionsModel *m_model;
    const RetentionPolicy &m_policy;
};
