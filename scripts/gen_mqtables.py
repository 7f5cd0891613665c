#!/usr/bin/env python3
"""Generate the MQ constant tables of the mq library.

Reads the IBM MQ constant facts (mq-constants.tsv), the MQSC keyword of
each PCF parameter (pcf-mqsc.tsv), the MQSC keyword of each value
(mqsc-values.tsv), the MQSC verb of each command (pcf-commands.tsv) and
the program's own constants (scripts/mqown.tsv), and writes
mq/mqtables_*.cpp and the named constants of the program's own codes,
mq/mqown.h.  The generated files are committed, so the build needs none
of the inputs.

    scripts/gen_mqtables.py [facts directory]   (default ../shared/mq)
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FACTS = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, '..', 'shared', 'mq')
OUT = os.path.join(ROOT, 'mq')

# --- reading ---------------------------------------------------------------

def read_tsv(name):
    rows = []
    with open(os.path.join(FACTS, name), encoding='utf-8') as f:
        for line in f:
            if line.startswith('#') or not line.strip():
                continue
            rows.append(line.rstrip('\n').split('\t'))
    return rows

CONSTS = []            # (name, value) of every 32-bit integer constant, file order
for r in read_tsv('mq-constants.tsv'):
    if len(r) >= 4 and r[3] == 'int32':
        CONSTS.append((r[0], int(r[1])))

OWN = []
with open(os.path.join(ROOT, 'scripts', 'mqown.tsv'), encoding='utf-8') as f:
    for line in f:
        if line.startswith('#') or not line.strip():
            continue
        t, n, v, d = (line.rstrip('\n').split('\t') + [''])[:4]
        OWN.append((t, n, int(v, 0), d))

KNOWN = set()          # names the keyword facts use: preferred among aliases
PARM_KEYWORD = {}      # parameter name -> first MQSC keyword
PARM_TITLE = {}        # parameter name -> documented attribute name
for r in read_tsv('pcf-mqsc.tsv'):
    KNOWN.add(r[0])
    if len(r) >= 3 and r[2] and r[2] != '-':
        PARM_KEYWORD.setdefault(r[0], r[2])
    if len(r) >= 8 and r[7]:
        PARM_TITLE.setdefault(r[0], r[7])

VALUE_KEYWORD = {}     # value constant -> MQSC value keyword (first seen)
for r in read_tsv('mqsc-values.tsv'):
    if len(r) >= 2:
        KNOWN.add(r[1])
    if len(r) >= 4 and r[3] and r[3] != '-':
        VALUE_KEYWORD.setdefault(r[1], r[3])

CMD_KEYWORD = {}       # command name -> MQSC verb and object
for r in read_tsv('pcf-commands.tsv'):
    KNOWN.add(r[0])
    if len(r) >= 3 and r[2] and not r[2].startswith('('):
        kw = re.sub(r'\(.*| /.*| LIKE$', '', r[2]).strip()
        if re.fullmatch(r'[A-Z]+( [A-Z]+)*', kw):
            CMD_KEYWORD[r[0]] = kw

# --- descriptions ----------------------------------------------------------
# Words of constant names as the program writes them in its texts.

WORDS = {
    'Q': 'queue', 'QS': 'queues', 'MGR': 'manager', 'QMGR': 'queue manager',
    'MSG': 'message', 'MSGS': 'messages', 'MSGID': 'message id',
    'HOBJ': 'object handle', 'HCONN': 'connection handle', 'HMSG': 'message handle',
    'HSUB': 'subscription handle', 'HCONFIG': 'configuration handle',
    'CHL': 'channel', 'CHLS': 'channels', 'CHLAUTH': 'channel authentication',
    'CFH': 'PCF header', 'CFIN': 'integer parameter', 'CFST': 'string parameter',
    'CFIL': 'integer list', 'CFSL': 'string list', 'CFBS': 'byte string',
    'CFGR': 'group', 'CFIF': 'integer filter', 'CFSF': 'string filter',
    'CFBF': 'byte string filter', 'CFIN64': '64-bit integer parameter',
    'CFIL64': '64-bit integer list',
    'PARM': 'parameter', 'PARMS': 'parameters', 'ATTR': 'attribute',
    'ATTRS': 'attributes', 'MD': 'message descriptor', 'MDE': 'MD extension',
    'OD': 'object descriptor', 'PMO': 'put-message options',
    'GMO': 'get-message options', 'CNO': 'connect options',
    'SD': 'subscription descriptor', 'SRO': 'subscription request options',
    'STS': 'status structure', 'CBD': 'callback descriptor', 'CTLO': 'control options',
    'CSP': 'security parameters', 'SCO': 'TLS configuration options',
    'XMIT': 'transmission', 'DEFN': 'definition', 'DESC': 'description',
    'LEN': 'length', 'LENGTH': 'length', 'MAX': 'maximum', 'MIN': 'minimum',
    'NUM': 'number', 'CONN': 'connection', 'CONNS': 'connections',
    'DISC': 'disconnect', 'ENV': 'environment', 'INFO': 'information',
    'APPL': 'application', 'APPLS': 'applications', 'AUTH': 'authority',
    'AUTHINFO': 'authentication information', 'AUTHOREV': 'authority events',
    'CLUS': 'cluster', 'CMD': 'command', 'CMDS': 'commands', 'CMDSCOPE': 'command scope',
    'COMM': 'communication', 'COMMINFO': 'communication information',
    'CONV': 'conversion', 'CURR': 'current', 'DEST': 'destination',
    'DIST': 'distribution', 'DLQ': 'dead-letter queue', 'DYN': 'dynamic',
    'FMT': 'format', 'HDR': 'header', 'INQ': 'inquire', 'OBJ': 'object',
    'OBJS': 'objects', 'OPT': 'option', 'OPTS': 'options', 'SEQ': 'sequence',
    'SRVC': 'service', 'SVC': 'service', 'PUB': 'publication', 'PUBS': 'publications',
    'SUB': 'subscription', 'SUBS': 'subscriptions', 'SEC': 'security',
    'UOW': 'unit of work', 'USERID': 'user id', 'ID': 'id', 'IDS': 'ids',
    'TOPICSTR': 'topic string', 'PROP': 'property', 'PROPS': 'properties',
    'DEST': 'destination', 'RESP': 'response', 'RESPS': 'responses',
    'SYSP': 'system parameter', 'QSG': 'QSG', 'CF': 'CF', 'CFSTRUCT': 'CF structure',
    'STRUC': 'structure', 'STRUCT': 'structure', 'BUF': 'buffer', 'BUFS': 'buffers',
    'PSB': 'PSB', 'PSID': 'page set id', 'STG': 'storage', 'SYNC': 'sync',
    'ALTDATE': 'alteration date', 'ALTTIME': 'alteration time',
    'CRDATE': 'creation date', 'CRTIME': 'creation time',
    'DEF': 'default', 'DIR': 'directory', 'DIRS': 'directories',
    'ENCRYPTION': 'encryption', 'EXT': 'extended', 'ADMIN': 'administration',
    'LOCAL': 'local', 'REMOTE': 'remote', 'INIT': 'initiation',
    'NPM': 'non-persistent message', 'NPMSPEED': 'non-persistent message speed',
    'MCA': 'MCA', 'MCAS': 'MCAs', 'LU62': 'LU 6.2', 'TCP': 'TCP', 'TLS': 'TLS',
    'SSL': 'TLS', 'CCSID': 'CCSID', 'XA': 'XA', 'XCF': 'XCF', 'IMS': 'IMS',
    'CICS': 'CICS', 'MQI': 'MQI', 'MQSC': 'MQSC', 'PCF': 'PCF', 'API': 'API',
    'JMS': 'JMS', 'AMQP': 'AMQP', 'MQTT': 'MQTT', 'LDAP': 'LDAP', 'OCSP': 'OCSP',
    'CRL': 'CRL', 'SNI': 'SNI', 'URL': 'URL', 'IP': 'IP', 'DNS': 'DNS',
    'IGQ': 'intra-group queuing', 'DB2': 'Db2', 'SMDS': 'SMDS', 'RBA': 'RBA',
    'HB': 'heartbeat', 'KA': 'keepalive', 'NLS': 'NLS', 'AIR': 'authentication record',
    'AMS': 'AMS', 'GSS': 'GSS', 'SPI': 'SPI', 'UR': 'unit of recovery',
    'OK': 'OK', 'SYSTEM': 'system', 'Z': 'z/OS', 'MQ': 'MQ', 'IBM': 'IBM',
    'QMGRS': 'queue managers', 'MGRS': 'managers', 'QLOCAL': 'local queue',
    'WLM': 'WLM', 'CLWL': 'cluster workload', 'RCVR': 'receiver',
    'SDR': 'sender', 'SVR': 'server', 'RQSTR': 'requester', 'SVRCONN': 'server-connection',
    'CLNTCONN': 'client-connection', 'CLUSSDR': 'cluster-sender',
    'CLUSRCVR': 'cluster-receiver', 'ACK': 'acknowledgement',
    'EXP': 'expiry', 'PERF': 'performance', 'EVENT': 'event', 'EV': 'event',
    'STAT': 'statistics', 'STATS': 'statistics', 'ACCT': 'accounting',
    'MON': 'monitoring', 'TRC': 'trace', 'RC': 'reason code',
    'DH': 'distribution header', 'IIH': 'IMS information header',
    'CIH': 'CICS information header', 'RFH': 'rules and formatting header',
    'RMH': 'reference message header', 'WIH': 'work information header',
    'DLH': 'dead-letter header', 'XQH': 'transmission queue header',
    'TM': 'trigger message', 'CERT': 'certificate', 'CERTS': 'certificates',
    'DEFS': 'definitions', 'CORREL': 'correlation', 'CORRELID': 'correlation id',
    'NHA': 'native HA', 'FS': 'file system', 'MQMD': 'message descriptor',
    'MQCFH': 'PCF header', 'BO': 'begin options', 'SPL': 'security policy',
    'ACCTG': 'accounting', 'CONFIG': 'configuration', 'INTVL': 'interval',
    'TIMESTAMP': 'time stamp', 'MVS': 'MVS', 'OS2': 'OS/2', 'AIX': 'AIX',
    'OS400': 'IBM i', 'OS390': 'OS/390', 'COA': 'confirm on arrival',
    'COD': 'confirm on delivery', 'NSK': 'NonStop', 'NSS': 'NonStop',
    'VMS': 'OpenVMS', 'PAN': 'positive action', 'NAN': 'negative action',
    'NT': 'NT', 'BY': 'by', 'ZOS': 'z/OS', 'VSE': 'VSE', 'UNIX': 'UNIX',
    'CHAD': 'channel auto-definition', 'REF': 'reference',
    'QMOPT': 'queue manager option', 'PKTS': 'packets', 'ERR': 'error',
    'REG': 'registration', 'RCVD': 'received', 'ALLOC': 'allocation',
    'MCAST': 'multicast', 'PROT': 'protection', 'DISP': 'disposition',
    'AVG': 'average', 'AUX': 'auxiliary', 'REC': 'record', 'RECS': 'records',
    'DUR': 'durable', 'NDUR': 'non-durable', 'ENC': 'encoding', 'OP': 'operation',
    'VAL': 'value', 'COMMS': 'communications', 'REORG': 'reorganization',
    'NET': 'network', 'DN': 'distinguished name', 'CONS': 'console',
    'NAMELIST': 'namelist', 'NL': 'namelist', 'PROCESS': 'process',
    'PERFM': 'performance', 'SMDSCONN': 'SMDS connection',
    'PUBSUB': 'publish/subscribe', 'TPIPE': 'TPIPE', 'INDOUBT': 'in-doubt',
    'XMITQ': 'transmission queue', 'MRU': 'MRU', 'CPI': 'CPI', 'STR': 'string',
    'PFX': 'prefix', 'EXCL': 'exclude', 'OFFLDUSE': 'offload use',
    'NESTGRP': 'nested groups', 'LOWWATER': 'low water', 'HIGHWATER': 'high water',
    'HTTP': 'HTTP', 'SMF': 'SMF', 'OTMA': 'OTMA', 'SOAP': 'SOAP', 'SUBID': 'subscription id', 'SUBNAME': 'subscription name',
}

# Reasons whose plain-word text is worded by hand rather than derived.
REASON_TEXT = {
    0: 'Completed successfully',
    2001: 'Alias base queue not a valid type',
    2009: 'Connection to queue manager broken',
    2012: 'Call not valid in this environment',
    2016: 'Gets inhibited for the queue',
    2018: 'Connection handle not valid',
    2019: 'Object handle not valid',
    2030: 'Message longer than the queue allows',
    2031: 'Message longer than the queue manager allows',
    2033: 'No message available',
    2035: 'Not authorized',
    2042: 'Object already open with conflicting options',
    2051: 'Puts inhibited for the queue',
    2053: 'Queue full',
    2058: 'Queue manager name not valid or not known',
    2059: 'Queue manager not available',
    2071: 'Insufficient storage available',
    2079: 'Message truncated, converted data did not fit',
    2080: 'Message truncated, buffer too small',
    2085: 'Unknown object name',
    2087: 'Unknown remote queue manager',
    2161: 'Queue manager quiescing',
    2162: 'Queue manager stopping',
    2195: 'Unexpected error',
    2202: 'Connection quiescing',
    2203: 'Connection stopping',
    2298: 'Function not supported',
    2393: 'TLS initialization error',
    2397: 'TLS certificate or cipher error',
    2537: 'Channel not available',
    2538: 'Host not available',
    2539: 'Channel configuration error',
    2540: 'Unknown channel name',
    3001: 'Structure type not valid',
    3007: 'Command code not valid',
    3008: 'Command failed',
    3014: 'Parameter identifier not valid',
    3015: 'Required parameter missing',
}

SENTENCE = 0
TITLE = 1

def words_of(name, prefix):
    body = name[len(prefix):] if name.startswith(prefix) else name.split('_', 1)[-1]
    out = []
    for w in body.split('_'):
        if not w:
            continue
        if w in WORDS:
            out.append(WORDS[w])
        elif len(w) <= 4 and not re.search('[AEIOU]', w[:-1] if w.endswith('S') else w):
            out.append(w)          # an abbreviation: keep it as it is
        else:
            out.append(w.lower())
    text = ' '.join(out)
    text = text.replace('queue manager manager', 'queue manager')
    text = text.replace('queue manager', 'queue manager')
    return text

def queue_mgr(parts):
    """Join Q MGR into QMGR and AUTH INFO into AUTHINFO before the word
    table is applied."""
    parts = re.sub(r'(^|_)Q_MGR(?=_|$)', r'\1QMGR', parts)
    return re.sub(r'(^|_)AUTH_INFO(?=_|$)', r'\1AUTHINFO', parts)

def describe(name, prefix, style):
    text = words_of(queue_mgr(name), prefix)
    if not text:
        return ''
    if style == TITLE:
        keep = set(WORDS.values())
        small = {'of', 'to', 'for', 'on', 'in', 'and', 'or', 'by', 'a', 'the', 'as', 'at'}
        ws = text.split(' ')
        res = []
        for i, w in enumerate(ws):
            if w and (w.isupper() or w in ('z/OS', 'Db2', 'MCAs')):
                res.append(w)
            elif i > 0 and w in small:
                res.append(w)
            else:
                res.append(w[:1].upper() + w[1:])
        return ' '.join(res)
    return text[:1].upper() + text[1:]

def camel_title(doc):
    """'AlterationDate' -> 'Alteration Date'."""
    t = re.sub(r'(?<=[a-z0-9])(?=[A-Z])', ' ', doc)
    t = re.sub(r'(?<=[A-Z])(?=[A-Z][a-z])', ' ', t)
    return t

# --- selection -------------------------------------------------------------

MARKER = re.compile(r'_(FIRST|LAST|LAST_USED|CURRENT_LENGTH|CURRENT_VERSION|'
                    r'LENGTH_\d+|VERSION_\d+|STRUC_ID|STRUC_LENGTH(_FIXED(_\d+)?)?|MAX_.*USED)$')
# A structure's own constants (MQCFH_STRUC_LENGTH) are markers; a value of
# the family itself that is named so (MQIACF_STRUC_LENGTH, MQCACF_STRUC_ID)
# is not.
STRUC_MARKER = re.compile(r'_STRUC_(ID|LENGTH)$')

def is_marker(name, prefixes):
    m = MARKER.search(name)
    if not m:
        return False
    return not (STRUC_MARKER.search(name) and name[:m.start() + 1] in prefixes)

def family(prefixes, exclude=()):
    rows = []
    for n, v in CONSTS:
        if any(n.startswith(p) for p in prefixes) and not is_marker(n, prefixes) \
                and not any(n.startswith(x) for x in exclude):
            rows.append((n, v))
    return rows

# Names preferred among aliases of one value where the facts name none.
PREFERRED = {
    'MQRC_CONVERTED_MSG_TOO_BIG', 'MQRC_STORAGE_MEDIUM_FULL',
    'MQRCCF_QUIESCE_VALUE_ERROR', 'MQRCCF_IPADDR_ERROR',
    'MQPL_ZOS', 'MQPL_UNIX', 'MQPL_WINDOWS_NT', 'MQPL_NSK', 'MQPL_OPENVMS',
}

def preferred(name):
    return name in PREFERRED or name in KNOWN

def first_per_value(rows, prefer=preferred):
    """One row per value, keeping the preferred (else first) name."""
    seen = {}
    order = []
    for n, v in rows:
        if v not in seen:
            seen[v] = n
            order.append(v)
        elif prefer and prefer(n) and not prefer(seen[v]):
            seen[v] = n
    return [(seen[v], v) for v in order]

def sort_by_value(rows):
    return sorted(rows, key=lambda r: (r[1], r[0]))

# --- writing ---------------------------------------------------------------

def cstr(s):
    if s is None:
        return 'nullptr'
    return '"' + s.replace('\\', '\\\\').replace('"', '\\"') + '"'

def emit_table(out, cname, rows, comment):
    out.append(f'/* {comment}: {len(rows)} rows */')
    out.append(f'extern const MQConstRow {cname}[] = {{')
    for v, n, d, k in rows:
        out.append(f'    {{ {v}, {cstr(n)}, {cstr(d)}, {cstr(k)} }},')
    out.append('    { 0, nullptr, nullptr, nullptr }')
    out.append('};')
    out.append(f'extern const int {cname}Count = {len(rows)};')
    out.append('')

HEAD = '''/* Generated by scripts/gen_mqtables.py from the IBM MQ constant facts
 * and scripts/mqown.tsv: do not edit; change the script and run it again.
 * {what} */
#include "mqtables.h"

'''

def write(fname, what, body):
    with open(os.path.join(OUT, fname), 'w', encoding='utf-8', newline='\n') as f:
        f.write(HEAD.format(what=what))
        f.write('\n'.join(body))
        f.write('\n')

# commands
cmd_rows = []
for n, v in sort_by_value(first_per_value(family(['MQCMD_'], ['MQCMDL_', 'MQCMDI_']))):
    cmd_rows.append((v, n, describe(n, 'MQCMD_', TITLE), CMD_KEYWORD.get(n)))
for t, n, v, d in OWN:
    if t == 'cmd':
        cmd_rows.append((v, n, d or describe(n, 'MYCMD_', TITLE), None))
body = []
emit_table(body, 'MQCommandRows', cmd_rows, 'PCF command codes and the program\'s own')
write('mqtables_cmd.cpp', 'PCF command codes.', body)

# parameters
PARM_PREFIXES = ['MQCA_', 'MQIA_', 'MQBACF_', 'MQCACF_', 'MQIACF_', 'MQCACH_',
                 'MQIACH_', 'MQGACF_', 'MQCAMO_', 'MQIAMO_', 'MQIAMO64_']
def parm_prefix(n):
    for p in sorted(PARM_PREFIXES, key=len, reverse=True):
        if n.startswith(p):
            return p
    return n.split('_', 1)[0] + '_'
# MQIAMO_MONITOR_ names both the monitoring parameters (in the family's
# range, MQIAMO_FIRST 701 up to 1000) and the values they carry (units,
# flags): only the first are ids.
parms = [(n, v) for n, v in family(PARM_PREFIXES, ['MQIASY_', 'MQIAV_'])
         if not (n.startswith('MQIAMO_MONITOR_') and not 701 <= v < 1000)]
parm_rows = []
for n, v in sort_by_value(first_per_value(parms)):
    desc = describe(n, parm_prefix(n), TITLE)
    parm_rows.append((v, n, desc, PARM_KEYWORD.get(n)))
for t, n, v, d in OWN:
    if t == 'parm':
        parm_rows.append((v, n, d or describe(n, n.split('_', 1)[0] + '_', TITLE), None))
body = []
emit_table(body, 'MQParameterRows', parm_rows, 'PCF parameter identifiers and the program\'s own')
write('mqtables_parm.cpp', 'PCF parameter identifiers.', body)

# reasons and feedback
rc = first_per_value(family(['MQRC_', 'MQRCCF_']))
rc_rows = []
for n, v in sort_by_value(rc):
    d = REASON_TEXT.get(v) or describe(n, 'MQRCCF_' if n.startswith('MQRCCF_') else 'MQRC_', SENTENCE)
    rc_rows.append((v, n, d, None))
fb_rows = [(0, 'MQFB_NONE', '', None)]
for n, v in sort_by_value(first_per_value(family(['MQFB_']))):
    if v == 0:
        continue
    fb_rows.append((v, n, describe(n, 'MQFB_', SENTENCE), None))
for t, n, v, d in OWN:
    if t == 'rc':
        rc_rows.append((v, n, d or describe(n, 'MYRC_', SENTENCE), None))
body = []
emit_table(body, 'MQReasonRows', rc_rows, 'Reason codes')
emit_table(body, 'MQFeedbackRows', fb_rows, 'Feedback codes')
write('mqtables_rc.cpp', 'Reason and feedback codes.', body)

# value tables, option flags and the program's own constants
VALUE_TABLES = [
    # (C name, name prefixes, parameter ids)
    ('MQValAT', ['MQAT_'], [1, 1010]),
    ('MQValQT', ['MQQT_'], [20]),
    ('MQValSP', ['MQSP_'], [30]),
    ('MQValPL', ['MQPL_'], [32]),
    ('MQValDL', ['MQDL_'], [34]),
    ('MQValEVR', ['MQEVR_'], [42, 43, 44, 47, 48, 49, 50, 51, 52, 53, 56, 73, 74, 75, 94, 99, 232]),
    ('MQValCHAD', ['MQCHAD_'], [55]),
    ('MQValIGQ', ['MQIGQ_'], [64]),
    ('MQValIGQPA', ['MQIGQPA_'], [65]),
    ('MQValAIT', ['MQAIT_'], [66]),
    ('MQValSQQM', ['MQSQQM_'], [77]),
    ('MQValSSLFIPS', ['MQSSL_FIPS_'], [92]),
    ('MQValIPADDR', ['MQIPADDR_'], [93]),
    ('MQValCLWLUSEQ', ['MQCLWL_USEQ_'], [98]),
    ('MQValADOPTCHECK', ['MQADOPT_CHECK_'], [102]),
    ('MQValADOPTTYPE', ['MQADOPT_TYPE_'], [103]),
    ('MQValRCVTIME', ['MQRCVTIME_'], [112]),
    ('MQValTCPKEEP', ['MQTCPKEEP_'], [115]),
    ('MQValTCPSTACK', ['MQTCPSTACK_'], [116]),
    ('MQValTRAXSTR', ['MQTRAXSTR_'], [117]),
    ('MQValSVCCONTROL', ['MQSVC_CONTROL_'], [119, 120, 139, 1601]),
    ('MQValMON', ['MQMON_'], [122, 123, 124, 127, 128, 129, 130, 133, 134, 136, 239, 240]),
    ('MQValRECORDING', ['MQRECORDING_'], [137, 138]),
    ('MQValSCYC', ['MQSCYC_'], [141]),
    ('MQValPSM', ['MQPSM_'], [187]),
    ('MQValPROP', ['MQPROP_'], [190]),
    ('MQValUNDELIVERED', ['MQUNDELIVERED_'], [203, 205]),
    ('MQValSYNCPOINT', ['MQSYNCPOINT_'], [207]),
    ('MQValGUR', ['MQGUR_'], [221]),
    ('MQValUSEDLQ', ['MQUSEDLQ_'], [234]),
    ('MQValCFCONLOS', ['MQCFCONLOS_'], [245]),
    ('MQValSUITEB', ['MQ_SUITE_B_'], [247]),
    ('MQValCHLA', ['MQCHLA_'], [248]),
    ('MQValPSCLUS', ['MQPSCLUS_'], [249]),
    ('MQValCLXQ', ['MQCLXQ_'], [250]),
    ('MQValCERTVAL', ['MQ_CERT_VAL_POLICY_'], [252]),
    ('MQValRDNS', ['MQRDNS_'], [254]),
    ('MQValCHK', ['MQCHK_'], [257, 258]),
    ('MQValADPCTX', ['MQADPCTX_'], [260, 263]),
    ('MQValSECCOMM', ['MQSECCOMM_'], [261]),
    ('MQValLDAPNESTGRP', ['MQLDAP_NESTGRP_'], [264]),
    ('MQValAUTHENTICATE', ['MQAUTHENTICATE_'], [266]),
    ('MQValMEDIMGSCHED', ['MQMEDIMGSCHED_'], [268]),
    ('MQValMEDIMGINTVL', ['MQMEDIMGINTVL_'], [269]),
    ('MQValMEDIMGLOGLN', ['MQMEDIMGLOGLN_'], [270]),
    ('MQValIMGRCOV', ['MQIMGRCOV_'], [271, 272]),
    ('MQValEVO', ['MQEVO_'], [1011]),
    ('MQValOT', ['MQOT_'], [1016, 1412]),
    ('MQValRQ', ['MQRQ_'], [1020]),
    ('MQValAUTH', ['MQAUTH_'], [1115, 1116, 1117]),
    ('MQValZAET', ['MQZAET_'], [1118]),
    ('MQValSYSPTYPE', ['MQSYSP_TYPE_'], [1175]),
    ('MQValXF', ['MQXF_'], [1356]),
    ('MQValXPT', ['MQXPT_'], [1501]),
    ('MQValCHT', ['MQCHT_'], [1511]),
]
OPTION_TABLES = [
    ('MQOpenOptionRows', ['MQOO_'], 'Open options'),
    ('MQCloseOptionRows', ['MQCO_'], 'Close options'),
    ('MQPmoOptionRows', ['MQPMO_'], 'Put-message options'),
    ('MQGmoOptionRows', ['MQGMO_'], 'Get-message options'),
    ('MQSdOptionRows', ['MQSO_'], 'Subscription options'),
    ('MQSroOptionRows', ['MQSRO_'], 'Subscription request options'),
]

def value_rows(prefixes):
    rows = []
    for n, v in sort_by_value(first_per_value(family(prefixes))):
        p = next(x for x in prefixes if n.startswith(x))
        rows.append((v, n, describe(n, p, SENTENCE), VALUE_KEYWORD.get(n)))
    return rows

body = []
index = []
for cname, prefixes, ids in VALUE_TABLES:
    rows = value_rows(prefixes)
    if not rows:
        continue
    emit_table(body, cname, rows, 'Values ' + ', '.join(prefixes))
    for i in ids:
        index.append((i, cname))
for cname, prefixes, what in OPTION_TABLES:
    emit_table(body, cname, value_rows(prefixes), what)
own = [(v, n, d or describe(n, 'ZKT_', SENTENCE), None) for t, n, v, d in OWN if t == 'program']
emit_table(body, 'MQProgramRows', own, 'The program\'s own constants')
body.append('/* Value table of each parameter that has one, by parameter id. */')
body.append('extern const MQValueIndex MQValueIndexRows[] = {')
for i, cname in sorted(index):
    body.append(f'    {{ {i}, {cname} }},')
body.append('    { 0, nullptr }')
body.append('};')
write('mqtables_val.cpp', 'Value tables of PCF parameters and option flags.', body)

# the program's own codes as named constants
OWN_GROUPS = [('cmd', 'MQOwnCommand', 'Command codes'),
              ('parm', 'MQOwnParameter', 'PCF parameter identifiers'),
              ('rc', 'MQOwnReason', 'Reason codes'),
              ('program', 'MQOwnConstant', 'Further constants')]
lines = ['/* Generated by scripts/gen_mqtables.py from scripts/mqown.tsv: do not',
         ' * edit; change the list and run the script again.',
         ' * The program\'s own codes beside IBM MQ\'s, as named constants. */',
         '#pragma once', '', '#include <cstdint>', '']
for t, cname, what in OWN_GROUPS:
    rows = [(n, v) for tt, n, v, d in OWN if tt == t]
    if not rows:
        continue
    lines.append(f'/* {what} */')
    lines.append(f'enum {cname} : int32_t {{')
    for n, v in rows:
        lines.append(f'    {n} = {v},')
    lines.append('};')
    lines.append('')
with open(os.path.join(OUT, 'mqown.h'), 'w', encoding='utf-8', newline='\n') as f:
    f.write('\n'.join(lines))

print(f'commands {len(cmd_rows)}, parameters {len(parm_rows)}, reasons {len(rc_rows)}, '
      f'feedback {len(fb_rows)}, value tables {len(VALUE_TABLES)}')
