/* Subscription topic strings from queue managers below command level
 * 800: the topic string of a subscription's topic object is taken off
 * the front of the subscription's topic string, in the reply itself. */
#include "pcfint.h"

#include "qms.h"

#define TOPIC_NAME   2092
#define TOPIC_STRING 2094

void PCFScanResponseParms(DialogWords *dialog, QMS *location, int always, uint8_t *reply,
                          uint32_t length)
{
    if (!location || location->commandLevel >= 800)
        return;
    if (!always && (!dialog || !dialog->window || !PcfPrefs.topicStrings))
        return;
    PCFWALK w;
    PCFPARM p, name = {}, topic = {};
    if (!PCFWalkStart(&w, reply, length, location->platform))
        return;
    while (PCFWalkNext(&w, &p)) {
        if (p.type == MQCFT_STRING && p.id == TOPIC_NAME && !name.start)
            name = p;
        if (p.type == MQCFT_STRING && p.id == TOPIC_STRING && !topic.start)
            topic = p;
    }
    if (!name.start)
        return;
    char object[49];
    int n = PCFTrimmedLength(name.value, name.valueLength);
    if (n > 48)
        n = 48;
    memcpy(object, name.value, (size_t)n);
    object[n] = 0;
    const PCFHOOKS *h = PCFHooks();
    char prefix[10240 + 1];
    uint64_t value = 0;
    if (!h->findTopic || !h->findTopic(h->context, location, object, prefix, sizeof prefix, &value)) {
        if (dialog)
            dialog->topicValue = 0;
        return;
    }
    if (dialog)
        dialog->topicValue = value;
    if (!topic.start)
        return;
    size_t plen = strlen(prefix);
    int32_t tlen = topic.valueLength;
    if (!plen || (size_t)tlen <= plen || memcmp(topic.value, prefix, plen) != 0 ||
        topic.value[plen] != '/')
        return;
    uint8_t *text = reply + (topic.value - reply);
    int32_t cut = (int32_t)plen + 1;
    memmove(text, text + cut, (size_t)(tlen - cut));
    memset(text + tlen - cut, 0, (size_t)cut);
    Put32(reply + (topic.start - reply) + 16, tlen - cut);
}
