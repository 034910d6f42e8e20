#include "sitepage.h"

#include "localformats.h"
#include "sitecelldelegate.h"
#include "siteoverviewmodel.h"
#include "sitesender.h"
#include "tablesizing.h"
#include "translator.h"
#include "ui_sitepage.h"

#include <QHeaderView>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

} // namespace

SitePage::SitePage(SiteSender *sender, QWidget *parent)
    : QWidget(parent), m_ui(new Ui::SitePage), m_sender(sender), m_model(new SiteOverviewModel(this)),
      m_delegate(new SiteCellDelegate(this))
{
    m_ui->setupUi(this);
    m_ui->siteTableView->setModel(m_model);
    m_ui->siteTableView->setItemDelegate(m_delegate);
    m_ui->siteTableView->sortByColumn(SiteOverviewModel::StationColumn, Qt::AscendingOrder);
    TableSizing::fix(m_ui->siteTableView, SiteOverviewModel::StationColumn);

    connect(m_ui->siteRefreshPushButton, &QPushButton::clicked, this, &SitePage::refresh);
    connect(m_delegate, &ButtonCellDelegate::buttonClicked, this,
            [this](const QModelIndex &index) { cellClicked(index); });
    connect(m_sender, &SiteSender::overviewLoaded, this, &SitePage::showOverview);
    connect(m_sender, &SiteSender::recordLoaded, this, &SitePage::showRecord);
}

SitePage::~SitePage()
{
    delete m_ui;
}

void SitePage::refresh()
{
    m_ui->siteSummaryLabel->setText(translated("site_loading"));
    m_ui->siteRefreshPushButton->setEnabled(false);
    m_sender->requestOverview();
}

void SitePage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void SitePage::showOverview(const QVector<SiteDisplayRow> &rows, const QString &failure)
{
    m_ui->siteRefreshPushButton->setEnabled(true);
    if (!failure.isEmpty()) {
        // The rows read before stay: a failed refresh shows why, not an empty site.
        m_ui->siteSummaryLabel->setText(translated("site_unreadable").arg(failure));
        return;
    }
    m_model->setRows(rows);
    m_ui->siteSummaryLabel->setText(
        translated("site_summary").arg(LocalFormats::count(m_model->stationCount()), LocalFormats::count(rows.size())));
}

void SitePage::cellClicked(const QModelIndex &index)
{
    if (index.column() != SiteOverviewModel::ReportColumn)
        return;
    m_recordRequested = true;
    m_sender->requestRecord(m_model->row(index.row()).lastSession.uuid);
}

void SitePage::showRecord(const QVariantMap &record, const QString &failure)
{
    if (!m_recordRequested)
        return;
    m_recordRequested = false;
    if (!failure.isEmpty()) {
        m_ui->siteSummaryLabel->setText(translated("site_unreadable").arg(failure));
        return;
    }
    emit reportRequested(record);
}
