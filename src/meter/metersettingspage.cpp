#include "metersettingspage.h"
#include "ui_metersettingspage.h"

#include "localformats.h"
#include "meterreader.h"
#include "readingsource.h"
#include "translator.h"

#include <QLabel>

namespace {

QString translated(const char *key)
{
    return TR::Translator::instance()->translate(QLatin1String(key));
}

} // namespace

MeterSettingsPage::MeterSettingsPage(QWidget *parent) : QWidget(parent), m_ui(new Ui::MeterSettingsPage)
{
    m_ui->setupUi(this);
    TR::Translator::instance()->translateObject(this, true);
    connect(m_ui->saveMeterPushButton, &QPushButton::clicked, this, &MeterSettingsPage::save);
    connect(m_ui->tryReadingPushButton, &QPushButton::clicked, this, &MeterSettingsPage::tryReading);
    reload();
}

MeterSettingsPage::~MeterSettingsPage() = default;

void MeterSettingsPage::reload()
{
    QStringList unreadable;
    showSettings(MeterSettings::load(&unreadable));
    for (const auto &reloadGroup : qAsConst(m_groupReloads))
        reloadGroup();
    if (!unreadable.isEmpty())
        showStatus(translated("trust_meterUnreadable").arg(unreadable.join(QStringLiteral(", "))), true);
}

// Starts from what the file held, so a key the page has no field for is kept through a trial and a save.
MeterSettings MeterSettingsPage::shownSettings() const
{
    MeterSettings settings = m_shown;
    settings.program = m_ui->programLineEdit->text().trimmed();
    settings.instrument = m_ui->instrumentSpinBox->value();
    settings.displayType = m_ui->displayTypeLineEdit->text().trimmed();
    settings.contact = m_ui->contactCheckBox->isChecked();
    settings.settleMs = m_ui->settleSpinBox->value();
    settings.model = m_ui->modelLineEdit->text().trimmed();
    settings.serial = m_ui->serialLineEdit->text().trimmed();
    settings.timeLimitMs = m_ui->timeLimitSpinBox->value();
    return settings;
}

void MeterSettingsPage::showSettings(const MeterSettings &settings)
{
    m_shown = settings;
    m_ui->programLineEdit->setText(settings.program);
    m_ui->instrumentSpinBox->setValue(settings.instrument);
    m_ui->displayTypeLineEdit->setText(settings.displayType);
    m_ui->contactCheckBox->setChecked(settings.contact);
    m_ui->settleSpinBox->setValue(settings.settleMs);
    m_ui->modelLineEdit->setText(settings.model);
    m_ui->serialLineEdit->setText(settings.serial);
    m_ui->timeLimitSpinBox->setValue(settings.timeLimitMs);
}

void MeterSettingsPage::addGroup(const QList<QPair<QString, QWidget *>> &fields, const std::function<bool()> &save,
                                 const std::function<void()> &reload)
{
    for (const auto &field : fields) {
        const int row = m_ui->fieldsLayout->rowCount();
        auto *label = new QLabel(TR::Translator::instance()->translate(field.first), this);
        label->setProperty("defaultText", field.first);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setBuddy(field.second);
        m_ui->fieldsLayout->addWidget(label, row, 0);
        m_ui->fieldsLayout->addWidget(field.second, row, 1);
    }
    m_groupSaves << save;
    m_groupReloads << reload;
}

bool MeterSettingsPage::save()
{
    const MeterSettings settings = shownSettings();
    if (!MeterSettings::isValidDisplayType(settings.displayType)) {
        showStatus(translated("meter_badDisplayType"), true);
        return false;
    }
    bool written = settings.save();
    for (const auto &saveGroup : qAsConst(m_groupSaves))
        written = saveGroup() && written;
    if (!written) {
        showStatus(translated("meter_notSaved"), true);
        return false;
    }
    showStatus(translated("meter_saved"), false);
    emit saved();
    return true;
}

void MeterSettingsPage::tryReading()
{
    if (m_reader)
        return;
    m_reader = new MeterReader(shownSettings(), this);
    connect(m_reader, &MeterReader::finished, this, &MeterSettingsPage::showReply);
    m_ui->tryReadingPushButton->setEnabled(false);
    showStatus(translated("meter_reading"), false);
    m_reader->start(MeterQuantity::Luminance);
}

void MeterSettingsPage::showReply(const MeterReply &reply)
{
    m_reader->deleteLater();
    m_reader = nullptr;
    m_ui->tryReadingPushButton->setEnabled(true);
    if (reply.ok)
        showStatus(translated("meter_trialResult").arg(LocalFormats::reading(ReadingSource::valueText(reply.value))), false);
    else
        showStatus(reply.message, true);
}

void MeterSettingsPage::showStatus(const QString &text, bool problem)
{
    m_ui->meterStatusLabel->setText(text);
    m_ui->meterStatusLabel->setStyleSheet(problem ? QStringLiteral("color: #b00000;") : QString());
}
