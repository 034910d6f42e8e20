#pragma once

#include <QFontMetrics>
#include <QTextDocument>
#include <QTextOption>

// The document every text block of the report is laid out in. Stored texts
// reach it escaped, so this is the second guard: it loads no resource from
// outside the program (an image source naming a file or a network share would
// be read, or an authentication sent, while the report is drawn), and it
// breaks a word wider than its box anywhere instead of letting it run off the page.
class ReportDocument : public QTextDocument
{
    Q_OBJECT

public:
    explicit ReportDocument(QObject *parent = nullptr);

    // The program's own resources (":/...") and nothing else.
    static bool isOwnResource(const QUrl &name);
    // Breaking at word boundaries looks for a word's end again from every line
    // the word fills, which takes minutes for a word of a megabyte: a text with a
    // word longer than this breaks anywhere instead.
    static constexpr int longestWordKeptWhole = 10000;
    static QTextOption::WrapMode wrapModeFor(const QString &text);
    void setWrapModeFor(const QString &text);
    // A word wider than the box gets soft hyphens where a compound joins its parts
    // ("Umgebungs-beleuchtungs-stärke"), so it breaks there with a hyphen rather than
    // anywhere; only a word without such a joint still breaks anywhere.
    static QString withBreakPoints(const QString &text, const QFontMetrics &metrics, int width);

protected:
    QVariant loadResource(int type, const QUrl &name) override;
};
