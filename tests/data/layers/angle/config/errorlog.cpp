#include <string>
#include <archive/backup.h>
