#include "testinputdialog.h"
#include "ui_testinputdialog.h"

#include "localformats.h"
#include "meterassist.h"
#include "meterpanel.h"
#include "modalprompt.h"
#include "numberanswervalidator.h"
#include "readingcheck.h"
#include "test.h"
#include "testcontent.h"
#include "textlengthlimit.h"
#include "translator.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpacerItem>
#include <QTextDocument>
#include <QTimer>

namespace {

const int ClickWindowMs = 500;
const int MaximumScrollAreaHeight = 800;
const int TextAreaMaximumHeight = 100;
const QString InvalidAnswerStyle = QStringLiteral("border: 1px solid red");
// Set on a yes/no content once the operator chose, so that the choice is shown again.
const char *const AnsweredProperty = "answeredInDialog";

QString translated(const QString &key)
{
    return TR::Translator::instance()->translate(key);
}

QString typedText(const QWidget *input)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(input))
        return line->text();
    if (const auto *area = qobject_cast<const QPlainTextEdit *>(input))
        return area->toPlainText();
    return QString();
}

bool isTextInput(const QWidget *input)
{
    return qobject_cast<const QLineEdit *>(input) || qobject_cast<const QPlainTextEdit *>(input);
}

} // namespace

TestInputDialog::TestInputDialog(QWidget *parent)
    : QDialog(parent), m_ui(new Ui::TestInputDialog), m_clickTimer(new QTimer(this)),
      m_meterAssist(new MeterAssist(this))
{
    m_ui->setupUi(this);
    m_ui->verticalLayout->insertWidget(m_ui->verticalLayout->indexOf(m_ui->buttonsWidget), m_meterAssist->panel());
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_clickTimer->setObjectName(QStringLiteral("clickTimer"));
    m_clickTimer->setSingleShot(true);
    m_clickTimer->setInterval(ClickWindowMs);
    connect(m_clickTimer, &QTimer::timeout, this, &TestInputDialog::mouseClickTrack);
    TR::Translator::instance()->translateObject(this, true);

    connect(m_ui->closePushButton, &QPushButton::clicked, this, &TestInputDialog::closeClicked);
    connect(m_ui->rejectPushButton, &QPushButton::clicked, this, &TestInputDialog::rejectClicked);
    connect(m_ui->acceptPushButton, &QPushButton::clicked, this, &TestInputDialog::acceptClicked);
    connect(m_ui->nextPushButton, &QPushButton::clicked, this, &TestInputDialog::nextClicked);
    connect(m_ui->backPushButton, &QPushButton::clicked, this, &TestInputDialog::backClicked);
    connect(m_ui->minimizePushButton, &QPushButton::clicked, this, &TestInputDialog::minimizeClicked);

    TextLengthLimit::apply(m_ui->notePlainTextEdit);
    const QScrollBar *rowsBar = m_ui->scrollArea->verticalScrollBar();
    connect(rowsBar, &QScrollBar::valueChanged, this, &TestInputDialog::showWhetherMoreBelow);
    connect(rowsBar, &QScrollBar::rangeChanged, this, &TestInputDialog::showWhetherMoreBelow);
    m_ui->moreBelowLabel->hide();
    hideNote();
    toggleMinimize(false);
}

TestInputDialog::~TestInputDialog() = default;

void TestInputDialog::setTitleText(const QString &text)
{
    m_ui->titleLabel->setText(text);
}

void TestInputDialog::setProgressText(const QString &text)
{
    m_ui->progressLabel->setText(text);
}

void TestInputDialog::setBackHidden(bool hidden)
{
    m_ui->backPushButton->setHidden(hidden);
}

bool TestInputDialog::isCollapsed() const
{
    return m_ui->containerWidget->isHidden();
}

void TestInputDialog::showMeterPanelOnly(bool only)
{
    if (only == m_meterPanelOnly)
        return;
    m_meterPanelOnly = only;
    if (only) {
        m_noteShownBeforePanelOnly = !m_ui->noteWidget->isHidden();
        // A dialog collapsed to its title would hide the request along with the rest.
        toggleMinimize(false);
    }
    for (QWidget *part : {m_ui->pageControlWidget, static_cast<QWidget *>(m_ui->scrollArea), m_ui->buttonsWidget})
        part->setHidden(only);
    m_ui->noteWidget->setHidden(only || !m_noteShownBeforePanelOnly);
    for (QWidget *level : {m_ui->containerWidget, m_ui->mainContentWidget, static_cast<QWidget *>(this)})
        level->layout()->activate();
    adjustSize();
}

void TestInputDialog::setTest(Test *test)
{
    clearInputs();
    m_test = test;
    const bool validatable = test && test->validatable();
    const QList<TestContent *> contents = test ? *test->content() : QList<TestContent *>();

    for (TestContent *content : contents) {
        if (!content->joinIds().isEmpty())
            m_joinContent = content;
        // The last answer the report prints takes the note, so that it is printed with it.
        const bool answered = validatable || content->type() != TestContent::kTestContentTypeInfo;
        if (answered && (!m_notedContent || !content->hideFromReport() || m_notedContent->hideFromReport()))
            m_notedContent = content;
    }
    toggleNote(m_notedContent != nullptr);
    int row = 0;
    for (TestContent *content : contents)
        addContentRows(content, row);

    textChanged();
    m_ui->gridLayout->addItem(new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), row, 0);
    restoreNote();
    m_ui->nextPushButton->setEnabled(!validatable);
    m_ui->groupBox->setVisible(validatable);
    fitScrollArea();
    emit testChanged(test);
}

void TestInputDialog::clearInputs()
{
    clearLayout(m_ui->gridLayout);
    m_inputs.clear();
    hideNote();
    m_ui->notePlainTextEdit->clear();
    m_joinContent = nullptr;
    m_notedContent = nullptr;
    m_firstFocusWidget = nullptr;
    m_joinedText.clear();
    uncheckVerdict();
}

void TestInputDialog::clearLayout(QLayout *layout)
{
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        if (item->layout())
            clearLayout(item->layout());
        delete item;
    }
}

void TestInputDialog::uncheckVerdict()
{
    // Auto-exclusive buttons refuse to uncheck the last checked one of their group.
    for (QPushButton *button : {m_ui->acceptPushButton, m_ui->rejectPushButton}) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void TestInputDialog::addContentRows(TestContent *content, int &row)
{
    auto *caption = new QLabel(m_ui->contentWidget);
    caption->setTextFormat(Qt::PlainText);
    caption->setWordWrap(true);
    // A tooltip is read as markup whenever it looks like some: the description goes in as escaped markup.
    const QString plainDescription = translated(content->description());
    const QString description = plainDescription.isEmpty() ? QString() : Qt::convertFromPlainText(plainDescription);
    caption->setToolTip(description);
    addRow(caption, row);

    if (m_test->validatable()) {
        caption->setText(translated(content->caption()));
        if (!m_firstFocusWidget)
            m_firstFocusWidget = caption;
        // A date asked along with the verdict, such as the meter's last calibration.
        if (content->validatorType() == TestContent::kValidatorTypeDate)
            addRow(createDateInput(content), row);
        return;
    }
    if (!content->caption().isEmpty())
        caption->setText(QChar(0x2022) + QLatin1Char(' ') + translated(content->caption()));
    if (!content->joinOnlyReport() && !content->join().isEmpty()) {
        auto *joinLabel = new QLabel(translated(content->joinText()), m_ui->contentWidget);
        joinLabel->setTextFormat(Qt::PlainText);
        addRow(joinLabel, row);
    }
    QWidget *input = createInput(content);
    if (!input)
        return;
    input->setToolTip(description);
    addRow(input, row);
    m_meterAssist->attach(m_test, content, input, m_ui->gridLayout, row - 1);
    if (!m_firstFocusWidget)
        m_firstFocusWidget = input;
}

void TestInputDialog::addRow(QWidget *widget, int &row)
{
    m_ui->gridLayout->addWidget(widget, row++, 0);
    // Shown at once rather than at the layout's next turn, so the rows count when
    // the scroll area is fitted to them.
    widget->show();
}

QWidget *TestInputDialog::createDateInput(TestContent *content)
{
    auto *edit = new QDateEdit(m_ui->contentWidget);
    edit->setObjectName(QStringLiteral("dateEdit"));
    edit->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    edit->setCalendarPopup(true);
    const QDate stored = QDate::fromString(content->resultText(), Qt::ISODate);
    edit->setDate(stored.isValid() ? stored : QDate::currentDate());
    m_inputs.insert(edit, content);
    return edit;
}

QWidget *TestInputDialog::createInput(TestContent *content)
{
    switch (content->type()) {
    case TestContent::kTestContentTypeText: {
        const QString shown = ReadingCheck::shownText(content);
        const bool isNumber = content->validatorType() == TestContent::kValidatorTypeNumber;
        auto *line = new QLineEdit(isNumber ? LocalFormats::reading(shown) : shown, m_ui->contentWidget);
        line->setReadOnly(content->readOnly());
        if (isNumber)
            line->setValidator(new NumberAnswerValidator(line));
        connect(line, &QLineEdit::textChanged, this, qOverload<const QString &>(&TestInputDialog::textChanged));
        line->installEventFilter(this);
        TextLengthLimit::apply(line);
        m_inputs.insert(line, content);
        return line;
    }
    case TestContent::kTestContentTypeTextarea: {
        auto *area = new QPlainTextEdit(content->resultText(), m_ui->contentWidget);
        area->setReadOnly(content->readOnly());
        area->setMaximumHeight(TextAreaMaximumHeight);
        area->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhFormattedNumbersOnly);
        area->setCenterOnScroll(true);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        connect(area, &QPlainTextEdit::textChanged, this, qOverload<>(&TestInputDialog::textChanged));
        TextLengthLimit::apply(area);
        m_inputs.insert(area, content);
        return area;
    }
    case TestContent::kTestContentTypeMultiselect: {
        auto *combo = new QComboBox(m_ui->contentWidget);
        int current = 0;
        for (const TestContent::Item *item : qAsConst(*content->items())) {
            const QString value = item->value(QStringLiteral("value"));
            if (value == content->resultMultiselect())
                current = combo->count();
            combo->addItem(translated(item->value(QStringLiteral("text"))), value);
        }
        combo->setCurrentIndex(current);
        m_inputs.insert(combo, content);
        return combo;
    }
    case TestContent::kTestContentTypeBoolean: {
        auto *box = new QWidget(m_ui->contentWidget);
        auto *layout = new QHBoxLayout(box);
        auto *yes = new QRadioButton(translated(QStringLiteral("yes")), box);
        auto *no = new QRadioButton(translated(QStringLiteral("no")), box);
        yes->setObjectName(QStringLiteral("yesRadioButton"));
        no->setObjectName(QStringLiteral("noRadioButton"));
        layout->addWidget(yes);
        layout->addWidget(no);
        layout->addStretch();
        // Neither is chosen until the operator chooses: an answer nobody gave is not a "No".
        if (content->property(AnsweredProperty).toBool())
            (content->resultBoolean() ? yes : no)->setChecked(true);
        m_inputs.insert(yes, content);
        return box;
    }
    default:
        return nullptr;
    }
}

void TestInputDialog::nextClicked()
{
    if (storeAnswers())
        emit next();
}

void TestInputDialog::backClicked()
{
    emit back();
}

bool TestInputDialog::storeAnswers()
{
    if (!m_test)
        return true;
    bool acceptable = true;
    for (auto it = m_inputs.cbegin(); it != m_inputs.cend(); ++it) {
        QWidget *input = it.key();
        TestContent *content = it.value();
        if (isTextInput(input)) {
            acceptable = storeText(input, content) && acceptable;
        } else if (auto *combo = qobject_cast<QComboBox *>(input)) {
            if (combo->currentIndex() >= 0)
                content->setResultMultiselect(combo->currentData().toString());
        } else if (auto *yes = qobject_cast<QRadioButton *>(input)) {
            acceptable = storeChoice(yes, content) && acceptable;
        } else if (const auto *date = qobject_cast<QDateEdit *>(input)) {
            content->setResultText(date->date().toString(Qt::ISODate));
        }
    }
    if (m_notedContent)
        m_notedContent->setNote(m_ui->notePlainTextEdit->toPlainText());
    for (TestContent *content : qAsConst(*m_test->content())) {
        if (!content->join().isEmpty())
            content->setResultJoin(m_joinedText);
    }
    return acceptable;
}

bool TestInputDialog::storeText(QWidget *input, TestContent *content)
{
    QString text = typedText(input);
    bool wellFormed = true;
    // Text that bypassed the validator (a stored answer shown again) is checked
    // and normalised the same way before it is kept.
    if (const auto *line = qobject_cast<QLineEdit *>(input); line && line->validator()) {
        int position = 0;
        wellFormed = line->validator()->validate(text, position) == QValidator::Acceptable;
        text = LocalFormats::storedReading(text);
    }
    const bool answered = !content->required() || content->readOnly() || !text.isEmpty();
    const bool plausible = wellFormed && ReadingCheck::accept(this, content, text);
    if (plausible)
        content->setResultText(text);
    const bool acceptable = plausible && answered;
    input->setStyleSheet(acceptable ? QString() : InvalidAnswerStyle);
    sayWhetherRequired(input, answered);
    return acceptable;
}

bool TestInputDialog::storeChoice(QRadioButton *yes, TestContent *content)
{
    const auto *no = yes->parentWidget()->findChild<QRadioButton *>(QStringLiteral("noRadioButton"));
    const bool answered = yes->isChecked() || (no && no->isChecked());
    if (answered) {
        content->setResultBoolean(yes->isChecked());
        content->setProperty(AnsweredProperty, true);
    } else {
        // Scrolled into view, so that an answer under the fold is not searched for.
        m_ui->scrollArea->ensureWidgetVisible(yes->parentWidget());
    }
    yes->parentWidget()->setStyleSheet(answered ? QString() : InvalidAnswerStyle);
    yes->parentWidget()->setToolTip(answered ? QString() : translated(QStringLiteral("answerRequired")));
    return answered;
}

// The rows scroll on a low screen: a line under them says that answers wait below.
void TestInputDialog::showWhetherMoreBelow()
{
    const QScrollBar *bar = m_ui->scrollArea->verticalScrollBar();
    m_ui->moreBelowLabel->setVisible(!m_meterPanelOnly && bar->value() < bar->maximum());
}

// A red frame alone says nothing to an operator who does not know the convention.
void TestInputDialog::sayWhetherRequired(QWidget *input, bool answered)
{
    const QString words = answered ? QString() : translated(QStringLiteral("answerRequired"));
    if (auto *line = qobject_cast<QLineEdit *>(input))
        line->setPlaceholderText(words);
    else if (auto *area = qobject_cast<QPlainTextEdit *>(input))
        area->setPlaceholderText(words);
}

void TestInputDialog::textChanged(const QString &)
{
    textChanged();
}

void TestInputDialog::textChanged()
{
    if (!m_joinContent)
        return;
    TestContent::ValueMap typed;
    for (auto it = m_inputs.cbegin(); it != m_inputs.cend(); ++it) {
        if (isTextInput(it.key()) && !it.value()->id().isEmpty())
            typed.insert(it.value()->id(), LocalFormats::storedReading(typedText(it.key())));
    }
    m_joinContent->addOwnValues(typed);
    m_joinContent->setValidatorValues(typed);
}

void TestInputDialog::acceptClicked(bool)
{
    giveVerdict(true);
}

void TestInputDialog::rejectClicked(bool)
{
    giveVerdict(false);
}

void TestInputDialog::giveVerdict(bool passed)
{
    if (m_test && !m_test->content()->isEmpty())
        m_test->content()->first()->setResultBoolean(passed);
    m_ui->nextPushButton->setEnabled(true);
}

void TestInputDialog::closeClicked()
{
    // "No" is the default: a Return pressed out of habit must not lose the session.
    const int noButton = 1;
    const int choice = ModalPrompt::question(this, QMessageBox::Warning, translated(QStringLiteral("attention")),
                                             translated(QStringLiteral("testInputDialog_close")),
                                             {{translated(QStringLiteral("yes")), QMessageBox::AcceptRole},
                                              {translated(QStringLiteral("no")), QMessageBox::RejectRole}},
                                             noButton);
    if (choice == 0)
        close();
}

// A note written at an earlier visit of this step is shown again, so that going
// back and forth does not store an empty note over it.
void TestInputDialog::restoreNote()
{
    if (m_notedContent)
        m_ui->notePlainTextEdit->setPlainText(m_notedContent->note());
}

// Every answered step takes a note at any time, whatever its verdict.
void TestInputDialog::toggleNote(bool show)
{
    if (show)
        showNote();
    else
        hideNote();
}

void TestInputDialog::showNote()
{
    m_ui->noteWidget->show();
    adjustSize();
}

void TestInputDialog::hideNote()
{
    m_ui->noteWidget->hide();
    adjustSize();
}

void TestInputDialog::minimizeClicked()
{
    toggleMinimize();
}

void TestInputDialog::toggleMinimize()
{
    toggleMinimize(!isCollapsed());
}

void TestInputDialog::toggleMinimize(bool minimize)
{
    m_ui->minimizePushButton->setChecked(minimize);
    m_ui->containerWidget->setHidden(minimize);
    m_ui->mainContentWidget->adjustSize();
    adjustSize();
    m_ui->mainContentWidget->adjustSize();
}

void TestInputDialog::mouseClickTrack()
{
    m_clickPending = false;
}

void TestInputDialog::fitScrollArea()
{
    m_ui->contentWidget->adjustSize();
    m_ui->scrollArea->adjustSize();
    adjustSize();
    // A resizable scroll area squeezes its widget to the viewport, so the height the
    // rows need is asked of the widget, at the width they are shown in: wrapped
    // captions are taller at the narrow width of the plain size hint.
    const QWidget *rows = m_ui->contentWidget;
    const int rowsWidth = m_ui->scrollArea->width();
    const int needed = rows->hasHeightForWidth() ? rows->heightForWidth(rowsWidth) : rows->sizeHint().height();
    m_ui->scrollArea->setFixedSize(rowsWidth, qMin(needed, rowsHeightLimit()));
    showWhetherMoreBelow();
    // The layouts settle their minimum sizes only when the event loop turns; the
    // dialog must shrink to the new rows now.
    for (QWidget *level : {m_ui->containerWidget, m_ui->mainContentWidget, static_cast<QWidget *>(this)})
        level->layout()->activate();
    adjustSize();
}

void TestInputDialog::setAvailableHeight(int height)
{
    m_availableHeight = height;
    if (isVisible())
        fitScrollArea();
}

int TestInputDialog::scrollableHeight() const
{
    return qMax(0, m_ui->scrollArea->height() - fontMetrics().height() * 2);
}

int TestInputDialog::rowsHeightLimit() const
{
    if (m_availableHeight <= 0)
        return MaximumScrollAreaHeight;
    // Measured on what the layout asks for: the window's own height may not yet count the note just shown.
    const int besideRows = qMax(height(), sizeHint().height()) - m_ui->scrollArea->height();
    return qBound(0, m_availableHeight - besideRows, MaximumScrollAreaHeight);
}

// Return in a single-line answer moves on to the next answer, as in a paper
// form, and from the last one to the next step once that is allowed.
bool TestInputDialog::eventFilter(QObject *watched, QEvent *event)
{
    auto *line = qobject_cast<QLineEdit *>(watched);
    if (!line || event->type() != QEvent::KeyPress || static_cast<QKeyEvent *>(event)->key() != Qt::Key_Return)
        return QDialog::eventFilter(watched, event);
    const QList<QWidget *> answers = answerWidgets();
    const int at = answers.indexOf(line);
    if (at >= 0 && at + 1 < answers.size())
        answers.at(at + 1)->setFocus(Qt::TabFocusReason);
    else if (m_ui->nextPushButton->isEnabled())
        nextClicked();
    return true;
}

// The inputs the operator can type or choose in, in the order they are shown.
QList<QWidget *> TestInputDialog::answerWidgets() const
{
    QList<QWidget *> answers;
    for (int i = 0; i < m_ui->gridLayout->count(); ++i) {
        QWidget *row = m_ui->gridLayout->itemAt(i)->widget();
        QWidget *answer = m_inputs.contains(row) ? row : nullptr;
        for (auto it = m_inputs.cbegin(); !answer && row && it != m_inputs.cend(); ++it) {
            if (it.key()->parentWidget() == row)
                answer = it.key();
        }
        const auto *line = qobject_cast<const QLineEdit *>(answer);
        if (answer && !(line && line->isReadOnly()))
            answers << answer;
    }
    return answers;
}

void TestInputDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape must not drop the operator out of the session; Return is the keyboard's next
    // button and, like it, waits for the verdict of a test judged as a whole. Space
    // confirms that the meter is in place, wherever the focus went meanwhile.
    if (event->key() == Qt::Key_Return && m_ui->nextPushButton->isEnabled())
        nextClicked();
    else if (event->key() == Qt::Key_Space && m_meterAssist->panel()->isAskingForPlacement())
        emit m_meterAssist->panel()->placementConfirmed();
}

void TestInputDialog::mousePressEvent(QMouseEvent *event)
{
    const QPoint inTitle = m_ui->titleWidget->mapFrom(this, event->pos());
    m_clickPending = m_ui->titleWidget->rect().contains(inTitle);
    if (m_clickPending)
        m_clickTimer->start();
    m_dragging = true;
    m_pressX = event->x();
    m_pressY = event->y();
}

void TestInputDialog::mouseMoveEvent(QMouseEvent *event)
{
    m_clickPending = false;
    if (m_dragging) {
        move(event->globalX() - m_pressX, event->globalY() - m_pressY);
        m_dragMoved = true;
    }
}

void TestInputDialog::mouseReleaseEvent(QMouseEvent *)
{
    if (m_clickPending)
        toggleMinimize();
    if (m_dragMoved)
        emit draggedTo(pos());
    m_clickPending = false;
    m_dragging = false;
    m_dragMoved = false;
}

void TestInputDialog::showEvent(QShowEvent *event)
{
    if (m_firstFocusWidget) {
        QWidget *first = m_firstFocusWidget;
        QTimer::singleShot(0, first, [first] { first->setFocus(); });
    }
    toggleMinimize(false);
    fitScrollArea();
    QDialog::showEvent(event);
}
