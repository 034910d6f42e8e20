#pragma once

#include <QTextDocument>

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

protected:
    QVariant loadResource(int type, const QUrl &name) override;
};
