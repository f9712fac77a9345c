#include "receivetext.h"

namespace Klv {

namespace {

constexpr std::array<QByteArrayView, 3> ReplyTexts{"WELCOME", "OK", "NG"};

} // namespace

void ReceiveText::clear()
{
    m_tail.clear();
    m_seen.fill(false);
}

void ReceiveText::append(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    // A reply that ends in this read starts at most KeptBytes before it, so searching the kept
    // tail together with the read finds everything a search of the whole text would.
    QByteArray text = m_tail;
    text.append(bytes);
    for (std::size_t r = 0; r < ReplyTexts.size(); ++r)
        m_seen[r] = m_seen[r] || text.contains(ReplyTexts[r]);
    m_tail = text.right(KeptBytes);
}

Acknowledgement ReceiveText::acknowledgement() const
{
    if (contains(Reply::Ng))
        return Acknowledgement::Refused;
    if (contains(Reply::Ok))
        return Acknowledgement::Taken;
    return Acknowledgement::None;
}

} // namespace Klv
