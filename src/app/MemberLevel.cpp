#include "MemberLevel.h"

#include "GlobalState.h"

namespace MemberLevel {

bool MaySignIn(unsigned char storedLevel)
{
    return storedLevel >= ReadOnly && storedLevel <= Administrator;
}

bool MayChangeFiles()
{
    return modSkiff::CurrentLevel == FullAccess || modSkiff::CurrentLevel == Administrator;
}

bool IsAdministrator()
{
    return modSkiff::CurrentLevel == Administrator;
}

} // namespace MemberLevel
