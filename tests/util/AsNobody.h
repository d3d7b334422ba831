#pragma once
// Root ignores directory permissions; the permission cases run as "nobody" while one of these lives.

#include <QTest>

#include <unistd.h>

struct AsNobody {
    const bool root = ::geteuid() == 0;
    AsNobody() { QVERIFY(!root || ::seteuid(65534) == 0); }
    ~AsNobody() { QVERIFY(!root || ::seteuid(0) == 0); }
};
