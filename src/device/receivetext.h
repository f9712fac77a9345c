#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <array>

namespace Klv {

// What the controller answers: "WELCOME" to the greeting, "OK" or "NG" to a frame.
enum class Reply { Welcome, Ok, Ng };

// How the controller took a frame. A refusal wins over an acceptance seen in the same text.
enum class Acknowledgement { None, Taken, Refused };

// The text received since the last request. Replies are recognised anywhere in it, case
// sensitive, also when they arrive in pieces. Each read is searched as it is appended and only
// the last few bytes are kept, so a babbling line cannot make it grow.
class ReceiveText
{
public:
    // Most bytes ever kept between reads: one less than the longest reply.
    static constexpr qsizetype KeptBytes = 6;

    void clear();
    void append(QByteArrayView bytes);

    // Whether the reply has arrived since the last clear().
    bool contains(Reply reply) const { return m_seen[static_cast<int>(reply)]; }
    Acknowledgement acknowledgement() const;

    qsizetype keptSize() const { return m_tail.size(); }

private:
    QByteArray m_tail;
    std::array<bool, 3> m_seen{};
};

} // namespace Klv
