// The catalogue reader: the catalogue document and the serialised groups that
// a stored session carries back into it.
#include "fuzzapplication.h"

#include "testgroup.h"
#include "testsmanager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzApplication();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<int>(size));
    TestsManager catalogue(text);
    for (TestGroup *group : *catalogue.groups())
        group->toVariantMap();
    catalogue.selectedGroups();
    return 0;
}
