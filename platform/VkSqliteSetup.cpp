#include "platform/VkSqliteSetup.h"

#include <sqlite3.h>

bool VkSetUpSqlite()
{
    // Both calls are refused (SQLITE_MISUSE) once SQLite is initialised.
    const bool stats = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    const bool cache = sqlite3_config(SQLITE_CONFIG_PAGECACHE, static_cast<void*>(nullptr), 0, 0) == SQLITE_OK;
    return stats && cache;
}
