/* What the lines of the queue-manager tree show: version texts, a
 * location's text, where a queue goes under its location, which queues
 * stay out, their icons, and the queue name an activated line opens. */
#include "shellrules.h"

#include <cstdio>
#include <cstring>

#include "prfbits.h"
#include "qms.h"

void MQVersionText(int32_t level, int inLine, char *out, size_t size)
{
    if (level <= 0) {
        snprintf(out, size, "%s", inLine ? " - MQ?" : "(MQ?)");
        return;
    }
    int major = level / 100, minor = level % 100 / 10, fix = level % 10;
    if (fix)
        snprintf(out, size, inLine ? " - MQ%d.%d.%d" : "(MQ%d.%d.%d)", major, minor, fix);
    else
        snprintf(out, size, inLine ? " - MQ%d.%d" : "(MQ%d.%d)", major, minor);
}

const char *ShellLocationName(const QMS *r)
{
    if (r->displayName && r->displayName[0])
        return r->displayName;
    return r->locationName[0] ? r->locationName : r->qmName;
}

void ShellLocationText(const QMS *r, uint32_t flags, int prefixInUse, char *out, size_t size)
{
    size_t n = 0;
    auto put = [&](const char *text) {
        if (n < size)
            n += (size_t)snprintf(out + n, size - n, "%s", text);
    };
    out[0] = 0;
    const char *location = r->locationName[0] ? r->locationName : r->qmName;
    if (flags & FF_QMNAME) {
        put(r->qmName);
        if (flags & FF_LOCATION) {
            put(" - ");
            put(location);
        }
    } else if (flags & FF_LOCATION) {
        put(location);
    } else {
        put(r->qmName);
    }
    if (flags & FF_MQVERSION) {
        char v[32];
        MQVersionText(r->commandLevel, 1, v, sizeof v);
        put(v);
    }
    if ((flags & FF_QCOUNT) && r->queueCount) {
        char c[48];
        if (prefixInUse)
            snprintf(c, sizeof c, " - (%u/%u)", (unsigned)r->queueMatchCount,
                     (unsigned)r->queueCount);
        else
            snprintf(c, sizeof c, " - (%u)", (unsigned)r->queueCount);
        put(c);
    }
}

int ShellQueuePlace(uint32_t type, int cluster, const char *name)
{
    if (type == QT_MODEL)
        return QP_NONE;
    if (!strncmp(name, "SYSTEM.", 7))
        return QP_SYSTEM;
    if (type == QT_LOCAL && !cluster)
        return QP_DIRECT;
    if (type == QT_LOCAL || type == QT_ALIAS || type == QT_REMOTE || type == QT_CLUSTER)
        return QP_OTHER;
    return QP_NONE;
}

int ShellQueueHidden(uint32_t type, int32_t defType, uint32_t po4)
{
    if (type != QT_LOCAL)
        return 0;
    return defType == 3 /* temporary dynamic */ ||
           (defType == 2 /* permanent dynamic */ && !(po4 & PO4_PERMANENT_DYNAMIC));
}

int ShellQueueIcon(uint32_t type, int cluster, int depthKnown, uint32_t depthClass)
{
    if (cluster) {
        switch (type) {
        case QT_LOCAL: return 27;
        case QT_ALIAS: return 25;
        case QT_REMOTE: return 26;
        default: return 15;
        }
    }
    switch (type) {
    case QT_MODEL: return 12;
    case QT_ALIAS: return 13;
    case QT_REMOTE: return 14;
    }
    if (!depthKnown)
        return 15;
    static const int byClass[] = { 36, 16, 17, 18, 19 };
    return depthClass < 5 ? byClass[depthClass] : 20;
}

void ShellQueueLineName(const char *text, char *out)
{
    const char *slash = strchr(text, '/');
    const char *name = slash && slash - text <= 49 ? slash + 1 : text;
    snprintf(out, 49, "%s", name);
}
