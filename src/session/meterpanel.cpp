#include "meterpanel.h"
#include "ui_meterpanel.h"

#include "translator.h"

namespace {

// A word longer than this, such as a meter's output without spaces, may break
// anywhere; shorter words break only between them.
const int LongestUnbrokenWord = 24;

// Gives a long word a break opportunity (a zero-width space) after each
// letter, since a label breaks lines only where the text allows it.
QString breakable(const QString &text)
{
    QString result;
    int wordLength = 0;
    for (int index = 0; index < text.size(); ++index) {
        const QChar letter = text.at(index);
        wordLength = letter.isSpace() ? 0 : wordLength + 1;
        result += letter;
        const bool inLongWord = wordLength > 0 && wordLength % LongestUnbrokenWord == 0;
        if (inLongWord && index + 1 < text.size() && !text.at(index + 1).isSpace())
            result += QChar(0x200B);
    }
    return result;
}

} // namespace

MeterPanel::MeterPanel(QWidget *parent) : QWidget(parent), m_ui(new Ui::MeterPanel)
{
    m_ui->setupUi(this);
    TR::Translator::instance()->translateObject(this, true);
    connect(m_ui->measureAllPushButton, &QPushButton::clicked, this, &MeterPanel::measureAllClicked);
    connect(m_ui->pausePushButton, &QPushButton::toggled, this, &MeterPanel::pauseToggled);
    connect(m_ui->repeatPushButton, &QPushButton::clicked, this, &MeterPanel::repeatClicked);
    connect(m_ui->stopPushButton, &QPushButton::clicked, this, &MeterPanel::stopClicked);
    connect(m_ui->placedPushButton, &QPushButton::clicked, this, &MeterPanel::placementConfirmed);
    showSeriesControls(false, false);
    endPlacement();
}

MeterPanel::~MeterPanel() = default;

void MeterPanel::showSeriesControls(bool canStart, bool running)
{
    m_ui->measureAllPushButton->setVisible(canStart && !running);
    for (QWidget *control : {m_ui->pausePushButton, m_ui->repeatPushButton, m_ui->stopPushButton})
        control->setVisible(running);
    if (!running)
        setPaused(false);
}

void MeterPanel::setProgress(const QString &text)
{
    m_ui->meterProgressLabel->setText(breakable(text));
    m_ui->meterProgressLabel->setVisible(!text.isEmpty());
    emit textsChanged();
}

void MeterPanel::setValues(const QString &text)
{
    m_ui->meterValuesLabel->setText(breakable(text));
    m_ui->meterValuesLabel->setVisible(!text.isEmpty());
    emit textsChanged();
}

void MeterPanel::setMessage(const QString &text, bool problem)
{
    m_ui->meterMessageLabel->setText(breakable(text));
    m_ui->meterMessageLabel->setStyleSheet(problem ? QStringLiteral("color: #b00000;") : QString());
    m_ui->meterMessageLabel->setVisible(!text.isEmpty());
    emit textsChanged();
}

void MeterPanel::clearTexts()
{
    setProgress(QString());
    setValues(QString());
    setMessage(QString(), false);
}

bool MeterPanel::isPaused() const
{
    return m_ui->pausePushButton->isChecked();
}

void MeterPanel::setPaused(bool paused)
{
    const QSignalBlocker quiet(m_ui->pausePushButton);
    m_ui->pausePushButton->setChecked(paused);
}

void MeterPanel::askForPlacement(const QString &request)
{
    m_ui->placementLabel->setText(breakable(request));
    m_ui->placementWidget->show();
    // Space then reads at once, so a hand holding the meter needs no mouse.
    m_ui->placedPushButton->setFocus(Qt::OtherFocusReason);
}

void MeterPanel::endPlacement()
{
    m_ui->placementWidget->hide();
}

bool MeterPanel::isAskingForPlacement() const
{
    return !m_ui->placementWidget->isHidden();
}
