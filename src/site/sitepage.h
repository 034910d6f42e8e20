#pragma once

#include "sitedisplayrow.h"

#include <QVariantMap>
#include <QWidget>

class SiteCellDelegate;
class SiteOverviewModel;
class SiteSender;

namespace Ui {
class SitePage;
}

// The page of the whole site: every station's displays with their newest
// session, sortable, each row's report read from the site database. It reads
// through the sender's thread, so a slow network never holds up the window.
// Nothing can be deleted here.
class SitePage : public QWidget
{
    Q_OBJECT

public:
    explicit SitePage(SiteSender *sender, QWidget *parent = nullptr);
    ~SitePage() override;

    SiteOverviewModel *model() const { return m_model; }

public slots:
    void refresh();

signals:
    // The full record of a row's session, for the report preview.
    void reportRequested(const QVariantMap &record);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showOverview(const QVector<SiteDisplayRow> &rows, const QString &failure);
    void showRecord(const QVariantMap &record, const QString &failure);
    void cellClicked(const QModelIndex &index);

    Ui::SitePage *m_ui;
    SiteSender *m_sender;
    SiteOverviewModel *m_model;
    SiteCellDelegate *m_delegate;
    bool m_recordRequested = false;
};
