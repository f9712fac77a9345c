#include "steptext.h"

#include <QStringDecoder>

#include <algorithm>
#include <optional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace Klv {
namespace StepText {

namespace {

QChar separatorChar(Separator separator)
{
    return separator == Separator::Tab ? u'\t' : u',';
}

QString quotedField(const QString &text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(u'"') && !text.contains(u'\r') &&
        !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// One record of the text and the line it starts on.
struct Record
{
    int line = 1;
    QStringList fields;
};

// The records of the text: fields split at separator, quoted fields unquoted; CR LF, LF and a
// lone CR each end a record, unless quoted.
QList<Record> records(QStringView text, QChar separator)
{
    QList<Record> result;
    Record record;
    QString field;
    bool atFieldStart = true;
    bool quoted = false;
    int line = 1;
    const auto lineBreakAt = [&](qsizetype i) {
        return text[i] == u'\n' ||
               (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'));
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
                if (lineBreakAt(i))
                    ++line;
            }
        } else if (c == u'"' && atFieldStart) {
            quoted = true;
            atFieldStart = false;
        } else if (c == separator) {
            record.fields << field;
            field.clear();
            atFieldStart = true;
        } else if (c == u'\r' || c == u'\n') {
            if (!lineBreakAt(i))
                continue; // the CR of a CR LF
            record.fields << field;
            field.clear();
            atFieldStart = true;
            result << record;
            record = {++line, {}};
        } else {
            field += c;
            atFieldStart = false;
        }
    }
    // The last line may end without a line break.
    if (!record.fields.isEmpty() || !atFieldStart) {
        record.fields << field;
        result << record;
    }
    return result;
}

bool allEmpty(const QStringList &fields)
{
    return std::all_of(fields.begin(), fields.end(), [](const QString &f) { return f.isEmpty(); });
}

EditorState::Value valueOf(StepColumn column)
{
    return EditorState::Value(int(column) - int(StepColumn::Speed1));
}

// The fields of one line, in the editor.
class LineReader
{
public:
    explicit LineReader(const Record &record) : m_record(record) {}

    std::optional<LineProblem> read(EditorState &editor)
    {
        for (int k = 0; k < 7; ++k) {
            const auto column = StepColumn(int(StepColumn::Wire1) + k);
            if (!choose(column, {u"HI", u"LO", u"MASK"}, editor.key[k]))
                return m_problem;
        }
        for (int p = 0; p < 4; ++p) {
            if (!choose(StepColumn(int(StepColumn::Port1) + p), {u"", u"RUN"}, editor.ports[p]))
                return m_problem;
        }
        int condition = 0;
        if (!choose(StepColumn::BitCondition, {u"", u"BIT増", u"BIT減"}, condition))
            return m_problem;
        editor.bitIncrease = condition == 1 ? 1 : 0;
        editor.bitDecrease = condition == 2 ? 1 : 0;
        if (!choose(StepColumn::WaitForEnd, {u"", u"WAIT"}, editor.waitForEnd))
            return m_problem;

        for (auto column : {StepColumn::Speed1, StepColumn::Brightness1, StepColumn::Pause1}) {
            if (!number(column, editor))
                return m_problem;
        }
        // "-" in all three says instruction 2 is not in force; its values stay the editor's
        // start values, which a step of the grid does not show.
        editor.instruction2 = 0;
        for (auto column : {StepColumn::Speed2, StepColumn::Brightness2, StepColumn::Pause2}) {
            if (field(column) != u"-")
                editor.instruction2 = 1;
        }
        if (editor.instruction2 == 1) {
            for (auto column : {StepColumn::Speed2, StepColumn::Brightness2, StepColumn::Pause2}) {
                if (!number(column, editor))
                    return m_problem;
            }
        }
        if (!number(StepColumn::RepeatCount, editor))
            return m_problem;
        if (!choose(StepColumn::StepFlag, {u"OFF", u"ON"}, editor.keyFlag))
            return m_problem;
        return std::nullopt;
    }

private:
    const QString &field(StepColumn column) const { return m_record.fields[int(column)]; }

    bool refuse(StepColumn column, Problem problem)
    {
        m_problem = LineProblem{m_record.line, problem, column, field(column), 0};
        return false;
    }

    // The field is the index-th of the column's words.
    bool choose(StepColumn column, std::initializer_list<QStringView> words, int &index)
    {
        index = 0;
        for (QStringView word : words) {
            if (field(column) == word)
                return true;
            ++index;
        }
        return refuse(column, Problem::WrongWord);
    }

    // The field is a whole number in the range of the column's slider. Only ASCII digits count,
    // a minus sign before them included, so that "-5" is out of range rather than a word.
    bool number(StepColumn column, EditorState &editor)
    {
        const QString &text = field(column);
        const qsizetype start = text.startsWith(u'-') ? 1 : 0;
        if (text.size() == start)
            return refuse(column, Problem::WrongWord);
        for (qsizetype i = start; i < text.size(); ++i) {
            if (text[i] < u'0' || text[i] > u'9')
                return refuse(column, Problem::WrongWord);
        }
        bool isInt = false;
        const int value = text.toInt(&isInt);
        const SliderRange range = sliderRange(valueOf(column));
        if (!isInt || value < range.minimum || value > range.maximum)
            return refuse(column, Problem::OutOfRange);
        editor.values[std::size_t(valueOf(column))] = value;
        return true;
    }

    const Record &m_record;
    LineProblem m_problem;
};

QString fromShiftJis(QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    // Qt for Windows is built here without ICU, which its decoder needs for Shift_JIS.
    if (bytes.isEmpty())
        return {};
    const int size = MultiByteToWideChar(932, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(932, 0, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t *>(text.data()), size);
    return text;
#else
    QStringDecoder decoder("Shift_JIS");
    if (!decoder.isValid())
        return QString::fromUtf8(bytes);
    return decoder.decode(bytes);
#endif
}

} // namespace

QStringList headerFields()
{
    QStringList fields;
    for (int column = 0; column < StepColumnCount; ++column)
        fields << GridText::groupHeader(StepColumn(column)) +
                      GridText::fieldHeader(StepColumn(column));
    return fields;
}

QStringList stepFields(const Step &step)
{
    QStringList fields;
    for (int column = 0; column < StepColumnCount; ++column)
        fields << GridText::stepCell(step, StepColumn(column));
    return fields;
}

QString line(const QStringList &fields, Separator separator)
{
    const QChar character = separatorChar(separator);
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString &field : fields)
        quoted << quotedField(field, character);
    return quoted.join(character) + QStringLiteral("\r\n");
}

QString write(std::span<const Step> steps, Separator separator)
{
    QString text = line(headerFields(), separator);
    for (const Step &step : steps)
        text += line(stepFields(step), separator);
    return text;
}

Reading read(QStringView text)
{
    const QChar separator = text.contains(u'\t') ? u'\t' : u',';
    const QStringList header = headerFields();
    Reading reading;
    bool first = true;
    for (Record &record : records(text, separator)) {
        if (allEmpty(record.fields))
            continue;
        while (record.fields.size() > StepColumnCount && record.fields.last().isEmpty())
            record.fields.removeLast();
        const bool isHeader = first && record.fields == header;
        first = false;
        if (isHeader)
            continue;
        if (record.fields.size() != StepColumnCount) {
            reading.problems.append({record.line,
                                     Problem::FieldCount,
                                     StepColumn::Wire1,
                                     {},
                                     int(record.fields.size())});
            continue;
        }
        EditorState editor;
        if (const auto problem = LineReader(record).read(editor))
            reading.problems.append(*problem);
        else
            reading.steps.append({record.line, editor});
    }
    return reading;
}

QString decode(QByteArrayView bytes)
{
    if (const auto marked = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked);
        return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    // Shift_JIS text with any Japanese in it is never valid UTF-8.
    return utf8.hasError() ? fromShiftJis(bytes) : text;
}

} // namespace StepText
} // namespace Klv
