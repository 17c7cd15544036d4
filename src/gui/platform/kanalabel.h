#pragma once
// A word-wrapped label that keeps each run of half-width katakana (a word
// such as ｺｰｳﾞｪｲﾝ or ﾒｯｾｰｼﾞ) whole on its line, as the operators see the
// forms on Windows; the line breaks before such a word instead.  Its
// text() is the text as set: the joiners are only in what it draws.
#include <QLabel>
#include <QString>

namespace uFCom_Bas {

// The text with U+2060 WORD JOINER between every two neighbouring half-width
// katakana (U+FF66 to U+FF9F, the voiced and semi-voiced marks included), so
// that no line break falls inside such a run; nothing else changes.
QString joinHalfwidthKanaWords(const QString& text);

class KanaWordLabel : public QLabel {
public:
    explicit KanaWordLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace uFCom_Bas
