#include "platform/CoreDumps.h"

#include <QtGlobal>

#if !defined(Q_OS_WIN)
#include <sys/resource.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/prctl.h>
#endif

namespace CoreDumps {

bool disableForThisProcess()
{
    bool ok = true;
#if !defined(Q_OS_WIN)
    struct rlimit none
    {
    };
    none.rlim_cur = 0;
    none.rlim_max = 0;
    ok = ::setrlimit(RLIMIT_CORE, &none) == 0;
#endif
#if defined(Q_OS_LINUX)
    ok = ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && ok;
#endif
    return ok;
}

} // namespace CoreDumps
