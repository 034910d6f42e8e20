#include "languageenvironment.h"
#include "localformats.h"
#include "support/shippedlanguages.h"
#include "translator.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QtTest>

// Qt's own texts and the formats of dates and numbers follow the language the
// operator chooses, at every change.
class TestLanguageEnvironment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useShippedLanguages(); }
    void cleanupTestCase() { TR::Translator::instance()->setLocale(QStringLiteral("en")); }
    void qtTextsAndFormats_data();
    void qtTextsAndFormats();
    void missingQtTranslation();
};

void TestLanguageEnvironment::qtTextsAndFormats_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("print");
    QTest::addColumn<QString>("december");
    QTest::addColumn<QString>("dateTime");
    QTest::addColumn<QString>("number");
    // German, Italian, then English again: each change replaces the one before.
    QTest::newRow("German") << "de" << "Abbrechen" << "Drucken" << "Dezember" << "07.12.2026 00:52" << "0,52";
    QTest::newRow("Italian") << "it" << "Annulla" << "Stampa" << "dicembre" << "07/12/2026 00:52" << "0,52";
    QTest::newRow("English") << "en" << "Cancel" << "Print" << "December" << "07/12/2026 - 00:52" << "0.52";
}

void TestLanguageEnvironment::qtTextsAndFormats()
{
    QFETCH(QString, language);
    TR::Translator::instance()->setLocale(language);
    QCOMPARE(TR::Translator::instance()->currentLocale(), language);

    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QTEST(buttons.button(QDialogButtonBox::Cancel)->text(), "cancel");
    QPrintPreviewDialog preview;
    QStringList actions;
    for (const QAction *action : preview.findChildren<QAction *>())
        actions << action->text();
    QFETCH(QString, print);
    QVERIFY2(actions.contains(print), qPrintable(actions.join(", ")));
    QCalendarWidget calendar;
    QTEST(calendar.locale().standaloneMonthName(12), "december");

    QTEST(LocalFormats::dateTime(QDateTime(QDate(2026, 12, 7), QTime(0, 52))), "dateTime");
    QTEST(LocalFormats::number(0.52, 2), "number");
    QTEST(LocalFormats::reading(QStringLiteral("0.52")), "number");
    QCOMPARE(LocalFormats::storedReading(LocalFormats::reading(QStringLiteral("-1.500"))), QStringLiteral("-1.500"));
}

// A language Qt has no translation for keeps Qt's English texts.
void TestLanguageEnvironment::missingQtTranslation()
{
    QVERIFY(!LanguageEnvironment::apply(QStringLiteral("xx")));
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
    QVERIFY(LanguageEnvironment::apply(QStringLiteral("en")));
}

QTEST_MAIN(TestLanguageEnvironment)
#include "tst_languageenvironment.moc"
