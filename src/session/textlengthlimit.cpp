#include "textlengthlimit.h"

#include "translator.h"

#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QToolTip>

void TextLengthLimit::apply(QWidget *input)
{
    if (auto *line = qobject_cast<QLineEdit *>(input)) {
        QObject::connect(line, &QLineEdit::textEdited, line, [line](const QString &text) {
            if (text.size() <= maximumLength)
                return;
            line->setText(text.left(maximumLength));
            tell(line);
        });
    } else if (auto *area = qobject_cast<QPlainTextEdit *>(input)) {
        QObject::connect(area, &QPlainTextEdit::textChanged, area, [area] {
            // The count includes the separator after the last paragraph.
            if (area->document()->characterCount() - 1 <= maximumLength)
                return;
            QTextCursor rest(area->document());
            rest.setPosition(maximumLength);
            rest.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            rest.removeSelectedText();
            tell(area);
        });
    }
}

QString TextLengthLimit::message()
{
    return TR::Translator::instance()->translate(QStringLiteral("textLimit")).arg(QLocale().toString(maximumLength));
}

void TextLengthLimit::tell(QWidget *input)
{
    QToolTip::showText(input->mapToGlobal(QPoint(0, input->height())), message(), input);
}
