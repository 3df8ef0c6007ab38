#include "Resources.h"

#include <QtGlobal>

static void initSkiffResources()
{
    Q_INIT_RESOURCE(skiff);
}

void InitResources()
{
    static const bool done = (initSkiffResources(), true);
    Q_UNUSED(done);
}
