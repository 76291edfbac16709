// One keystroke at the end of a 200,000-character Russian text: how long the
// spell-checked editors take to take it (re-highlight, layout, paint) against
// the same editors without a highlighter. A keystroke should cost less than a
// frame, 16 ms. Prints times and ratios; asserts nothing.

#include "spellplaintextedit.h"
#include "spelltextedit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int textLength = 200000;
constexpr int keystrokes = 60;

// Business prose with a misspelling in about one sentence of four.
const char *const sentences[] = {
    "Поставщик подтвердил отгрузку партии подшипников по договору поставки.",
    "Счёт-фактура пришла с ошибкай в реквизитах, бухгалтерия вернула её на исправление.",
    "Кладовщик принял товар по количеству мест и проверил целостность упаковки.",
    "Просим согласовать новый графек поставок до конца текущего квартала.",
    "Транспортная компания доставила груз на склад в понедельник утром.",
    "В накладной указано сто двадцать штук, фактически принято сто восемнадцать.",
    "Менеджер отдела закупок запросил у поставщика сертификаты соответствия.",
    "Оплата произведена в полном обьёме платёжным поручением от пятницы.",
    "Рекламация направлена поставщику вместе с актом о расхождении.",
    "Цены остаются прежними, скидка за объём сохраняется на следующий год.",
    "Договор продлён на тех же условиях, изменён только порядок приёмки.",
    "Ответственный за сделку сотрудник уходит в отпуск с пятнадцатого числа.",
};

QString russianText(bool paragraphs)
{
    QString text;
    int sentence = 0;
    int inParagraph = 0;
    while (text.size() < textLength) {
        text += QString::fromUtf8(sentences[sentence % (sizeof(sentences) / sizeof(*sentences))]);
        ++sentence;
        if (paragraphs && ++inParagraph == 6) {
            text += QLatin1Char('\n');
            inParagraph = 0;
        } else {
            text += QLatin1Char(' ');
        }
    }
    text.truncate(textLength);
    return text;
}

struct Result
{
    double loadMs = 0;
    double medianMs = 0;
    double worstMs = 0;
};

// Types word characters at the end, one keystroke at a time, each until the
// editor has painted it.
template<typename Editor>
Result type(Editor *editor, const QString &text)
{
    Result result;
    editor->resize(900, 700);
    editor->show();
    QElapsedTimer clock;
    clock.start();
    editor->setPlainText(text);
    QCoreApplication::processEvents();
    result.loadMs = clock.nsecsElapsed() / 1e6;

    editor->moveCursor(QTextCursor::End);
    const QString typed = QStringLiteral(" и молако для карова ");
    std::vector<double> times;
    for (int i = 0; i < keystrokes; ++i) {
        const QChar key = typed.at(i % typed.size());
        clock.restart();
        QTest::sendKeyEvent(QTest::Click, editor, key == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_unknown, QString(key),
                            Qt::NoModifier);
        editor->viewport()->repaint();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    result.medianMs = times[times.size() / 2];
    result.worstMs = times.back();
    return result;
}

void print(const char *name, const Result &editor, const Result &baseline)
{
    std::printf("  %-22s set text %7.1f ms   keystroke median %6.2f ms (x%.2f)  worst %6.2f ms   %s\n", name,
                editor.loadMs, editor.medianMs, editor.medianMs / baseline.medianMs, editor.worstMs,
                editor.medianMs < 16 ? "under 16 ms" : "OVER 16 ms");
    std::printf("  %-22s set text %7.1f ms   keystroke median %6.2f ms          worst %6.2f ms\n", "  without highlighter",
                baseline.loadMs, baseline.medianMs, baseline.worstMs);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("bench_spell: %d keystrokes at the end of %d characters of Russian text\n", keystrokes, textLength);

    for (bool paragraphs : {true, false}) {
        const QString text = russianText(paragraphs);
        std::printf("\n%s\n", paragraphs ? "paragraphs of about 450 characters" : "one paragraph of 200,000 characters");
        {
            SpellPlainTextEdit spell;
            QPlainTextEdit plain;
            print("SpellPlainTextEdit", type(&spell, text), type(&plain, text));
        }
        {
            SpellTextEdit spell;
            QTextEdit plain;
            print("SpellTextEdit", type(&spell, text), type(&plain, text));
        }
    }
    return 0;
}
