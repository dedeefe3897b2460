#include "platform/SecretWipe.h"

#include <cstring>
#include <type_traits>

namespace {

// The whole allocation of unshared Qt storage, also what lies before the
// first element (left there when the front was taken away).
template <typename Pointer> void wipeAllocation(Pointer &d)
{
    if (d.isShared())
        return;
    using Element = std::remove_pointer_t<decltype(d.data())>;
    Element *start = d.data() - d.freeSpaceAtBegin();
    SecretWipe::wipe(start, static_cast<std::size_t>(d.constAllocatedCapacity()) * sizeof(Element));
}

} // namespace

namespace SecretWipe {

void wipe(void *data, std::size_t size)
{
    if (data != nullptr && size > 0)
        ::explicit_bzero(data, size);
}

void wipe(QString &text)
{
    // Storage that is shared is not written to: data() would make a copy and
    // wipe only that.
    wipeAllocation(text.data_ptr());
    text = QString();
}

void wipe(QByteArray &bytes)
{
    wipeAllocation(bytes.data_ptr());
    bytes = QByteArray();
}

} // namespace SecretWipe
