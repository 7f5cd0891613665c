#!/usr/bin/env python3
"""Generate the command definitions of the dialogs library.

Reads the IBM MQ facts (pcf-mqsc.tsv: parameter ids, MQSC keywords,
types, maximum lengths, object kinds, read-only and z/OS marks;
mqsc-values.tsv: values and their keywords; pcf-commands.tsv: MQSC verbs;
mq-constants.tsv: value families), the program's own ids
(scripts/mqown.tsv), the descriptions of the generated MQ constant tables
(mq/mqtables_parm.cpp, mq/mqtables_val.cpp) and the hand-kept selection
(scripts/dialogs.sel), and writes dialogs/pcftables_fields.cpp (field
descriptors, value tables, command-use and condition rows) and
dialogs/pcftables_defs.cpp (column lists, action rows, field lists and
the definitions).  The output is committed; the build needs none of the
inputs.

    scripts/gen_dialogs.py [facts directory]
"""
import os
import re
import shlex
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def facts_dir():
    if len(sys.argv) > 1:
        return sys.argv[1]
    for cand in (os.path.join(ROOT, '..', 'shared', 'mq'),
                 os.path.join(ROOT, '..', '..', 'shared', 'mq')):
        if os.path.isdir(cand):
            return cand
    sys.exit('gen_dialogs: the facts directory is not found; give it')


FACTS = facts_dir()
OUT = os.path.join(ROOT, 'dialogs')


def read_tsv(name):
    rows = []
    with open(os.path.join(FACTS, name), encoding='utf-8') as f:
        for line in f:
            if line.startswith('#') or not line.strip():
                continue
            rows.append(line.rstrip('\n').split('\t'))
    return rows

# --- the facts -------------------------------------------------------------

CONST = {}           # name -> value (32-bit integers)
CONST_ORDER = []
for r in read_tsv('mq-constants.tsv'):
    if len(r) >= 4 and r[3] == 'int32':
        CONST[r[0]] = int(r[1])
        CONST_ORDER.append(r[0])

PARM_LINES = {}      # parameter name -> fact lines
ID_LINES = {}        # id -> fact lines
for r in read_tsv('pcf-mqsc.tsv'):
    r = (r + [''] * 9)[:9]
    if not r[1].isdigit():
        continue
    line = {'name': r[0], 'id': int(r[1]), 'kw': r[2], 'type': r[3],
            'max': int(r[4]) if r[4].isdigit() else 0, 'kinds': r[5],
            'desc': r[6], 'doc': r[7]}
    PARM_LINES.setdefault(r[0], []).append(line)
    ID_LINES.setdefault(line['id'], []).append(line)

VALUES = {}          # parameter name -> [(constant, value, keyword, note)]
for r in read_tsv('mqsc-values.tsv'):
    r = (r + [''] * 5)[:5]
    VALUES.setdefault(r[0], []).append((r[1], int(r[2]), None if r[3] == '-' else r[3], r[4]))

CMD_VERB = {}
CMD_PARMS = {}       # command -> parameter names it takes (required and main optional)
for r in read_tsv('pcf-commands.tsv'):
    if len(r) >= 6 and r[1].isdigit():
        CMD_PARMS[int(r[1])] = set(re.findall(r'\bMQ[A-Z0-9_]+', r[4] + ' ' + r[5]))
    if len(r) >= 3 and not r[2].startswith('('):
        words = re.sub(r'\(.*', '', r[2].split(' / ')[0]).split()
        if words:
            verb = words[0]
            if len(words) > 1 and words[1] in ('QMGR', 'QMSTATUS'):
                verb += ' ' + words[1]
            CMD_VERB[int(r[1])] = verb

OWN = {}             # own name -> (table, value, description)
with open(os.path.join(ROOT, 'scripts', 'mqown.tsv'), encoding='utf-8') as f:
    for line in f:
        if line.startswith('#') or not line.strip():
            continue
        t, n, v, d = (line.rstrip('\n').split('\t') + [''])[:4]
        OWN[n] = (t, int(v, 0), d)


def mq_descriptions(fname, by_id=None):
    out = {}
    with open(os.path.join(ROOT, 'mq', fname), encoding='utf-8') as f:
        for m in re.finditer(r'\{ (-?\d+), "([A-Z0-9_]+)", "((?:[^"\\]|\\.)*)"', f.read()):
            out.setdefault(m.group(2), m.group(3))
            if by_id is not None:
                by_id.setdefault(int(m.group(1)), m.group(3))
    return out


PARM_DESC_BY_ID = {}
PARM_DESC = mq_descriptions('mqtables_parm.cpp', PARM_DESC_BY_ID)
VALUE_DESC = mq_descriptions('mqtables_val.cpp')

CTX_KINDS = {
    'qmgr': ('QMGR', 'QMSTATUS'),
    'queue': ('QLOCAL', 'QMODEL', 'QALIAS', 'QREMOTE', 'QCLUSTER'),
    'channel': ('CLNTCONN',),
    'message': (),
}
QUEUE_TYPES = {'QLOCAL': 1, 'QMODEL': 2, 'QALIAS': 3, 'QREMOTE': 6, 'QCLUSTER': 7}
NOTE_CTX = {'qmgr': 'qmgr', 'queue': 'queue', 'queues': 'queue', 'queues-only': 'queue',
            'channel': 'channel'}
NOTE_NEVER = {'topics-only', 'filter-only', 'display-filter-only', 'chlauth-only',
              'comminfo-only', 'qstatus', 'process', 'process-obsolete',
              'process-define-only'}


def kinds_of(line):
    return [re.sub(r'\(.*', '', k) if not k.startswith('CHANNEL(') else k
            for k in line['kinds'].split(',')]


def in_ctx(line, ctx):
    if ctx == 'channel':
        return 'CLNTCONN' in line['kinds']
    return any(k in CTX_KINDS[ctx] for k in kinds_of(line))


def attr_id(name):
    if name in OWN:
        return OWN[name][1]
    if name in PARM_LINES:
        return PARM_LINES[name][0]['id']
    if name in CONST:
        return CONST[name]
    sys.exit('gen_dialogs: unknown attribute ' + name)


def cmd_code(tok):
    if tok.isdigit():
        return int(tok)
    if tok in OWN:
        return OWN[tok][1]
    if tok in CONST:
        return CONST[tok]
    sys.exit('gen_dialogs: unknown command ' + tok)

# --- the selection ---------------------------------------------------------


def parse_opts(words):
    opts, rest = {}, []
    for w in words:
        if '=' in w and not w.startswith('"'):
            k, v = w.split('=', 1)
            opts[k] = v
        elif re.fullmatch(r'[a-z0-9]+', w) and not rest:
            opts[w] = True
        else:
            rest.append(w)
    return opts, rest


ATTRS = {}           # name -> options
LISTS = {}           # var -> {'attr', 'kind', 'cols': [(name, flags)]}
DEFS = []            # definitions in order
cur_list = None
cur_def = None
stack = None
with open(os.path.join(ROOT, 'scripts', 'dialogs.sel'), encoding='utf-8') as f:
    for n, raw in enumerate(f, 1):
        words = shlex.split(raw, comments=True)
        if not words:
            continue
        op, args = words[0], words[1:]
        if op == 'ATTR':
            opts, _ = parse_opts(args[1:])
            ATTRS[args[0]] = opts
        elif op == 'LIST':
            opts, _ = parse_opts(args[1:])
            cur_list = LISTS[args[0]] = {'var': args[0], 'attr': int(opts['attr']),
                                          'kind': int(opts['kind']), 'cols': []}
        elif op == 'COL':
            cur_list['cols'].append((args[0], int(args[1], 0)))
        elif op == 'DEF':
            opts, _ = parse_opts(args[1:])
            cur_def = {'var': args[0], 'opts': opts, 'acts': [], 'fields': []}
            DEFS.append(cur_def)
        elif op == 'ACT':
            opts, rest = parse_opts(args[2:])
            cur_def['acts'].append({'cmd': cmd_code(args[0]), 'id': int(args[1]),
                                    'text': ' '.join(rest), 'opts': opts})
        elif op == 'SEP':
            opts, _ = parse_opts(args)
            cur_def['acts'].append({'cmd': 0, 'id': 65535, 'text': '', 'opts': opts, 'sep': True})
        elif op == 'SUB':
            opts, rest = parse_opts(args)
            cur_def['acts'].append({'cmd': 0, 'id': 65535, 'text': ' '.join(rest), 'opts': opts,
                                    'sub': True})
        elif op == 'END':
            cur_def['acts'].append({'cmd': 0, 'id': 65535, 'text': '', 'opts': {}, 'end': True})
        elif op == 'TAB':
            cur_def['fields'].append({'tab': ' '.join(args), 'opts': {}})
        elif op == 'FLD':
            opts, _ = parse_opts(args[1:])
            cur_def['fields'].append({'name': args[0], 'opts': opts})
        else:
            sys.exit(f'gen_dialogs: line {n}: unknown {op}')

DEF_BY_VAR = {d['var']: d for d in DEFS}

# --- descriptors -----------------------------------------------------------


def value_rows(name, ctx, opts):
    """(constant, value, display name, keyword) rows of an attribute."""
    if 'family' in opts:
        prefix = opts['family']
        seen = set()
        rows = []
        names = [c for c in CONST_ORDER if c.startswith(prefix)
                 and not re.search(r'_(FIRST|LAST|MASK|CURRENT_.*|VERSION_\d+|LENGTH_\d+)$', c)
                 and 'MQE_FIELDS' not in c]
        for c in sorted(names, key=lambda c: (CONST[c], not c.endswith('_NONE'), c)):
            v = CONST[c]
            if v in seen:
                continue
            if 'pow2' in opts and v != 0 and (v < 0 or v & (v - 1)):
                continue
            seen.add(v)
            rows.append((c, v, display(c), None))
        return rows
    rows = []
    for c, v, kw, note in VALUES.get(name, []):
        if note in NOTE_NEVER:
            continue
        if note in NOTE_CTX and NOTE_CTX[note] != ctx:
            continue
        if note == 'omit' or note == 'not-shown':
            continue
        rows.append((c, v, display(c), kw))
    return rows


def display(constant):
    if constant in VALUE_DESC and VALUE_DESC[constant]:
        return VALUE_DESC[constant]
    body = constant.split('_', 1)[1] if '_' in constant else constant
    body = body.replace('Q_MGR', 'QUEUE_MANAGER')
    words = [{'Q': 'queue', 'MSG': 'message', 'MSGS': 'messages'}.get(w, w.lower())
             for w in body.split('_') if w]
    text = ' '.join(words)
    return text[:1].upper() + text[1:]


def camel(doc, fallback):
    if doc:
        return doc[:1].lower() + doc[1:]
    parts = fallback.split('_')[1:]
    s = ''.join(p.capitalize() for p in parts)
    return s[:1].lower() + s[1:]


class Desc:
    pass


DESCS = {}           # key -> Desc
DESC_ORDER = []
VALUE_TABLES = {}    # tuple of rows -> C name
VT_ORDER = []


def interned(names, order, prefix, rows):
    """One C table per distinct list of rows: its name, None for none."""
    if not rows:
        return None
    key = tuple(rows)
    if key not in names:
        names[key] = f'{prefix}_{len(order) + 1}'
        order.append(key)
    return names[key]


def value_table(rows):
    return interned(VALUE_TABLES, VT_ORDER, 'VT', rows)


def descriptor(name, ctx):
    opts = ATTRS.get(name, {})
    own = name in OWN
    lines = PARM_LINES.get(name, [])
    ctx_lines = [l for l in lines if in_ctx(l, ctx)] or lines
    rows = value_rows(name, ctx, opts)
    vt = value_table(rows)
    key = (name, vt)
    if key in DESCS:
        return DESCS[key]
    d = Desc()
    d.name = name
    d.id = attr_id(name)
    d.ctx = ctx
    d.values = vt
    d.rows = rows
    first = ctx_lines[0] if ctx_lines else None
    kws = []
    if first:
        for l in ID_LINES[d.id]:
            if (in_ctx(l, ctx) or not [x for x in ID_LINES[d.id] if in_ctx(x, ctx)]) \
                    and l['kw'] and l['kw'] not in kws and (l['name'] == name or l['kinds'] == first['kinds'] or in_ctx(l, ctx)):
                kws.append(l['kw'])
    d.keyword = opts.get('kw') or ('/'.join(kws) if kws else None)
    ftype = first['type'] if first else ''
    if 'type' in opts:
        d.type = int(opts['type'])
    elif ftype == 'int':
        d.type = 2 if rows else 1
    elif ftype == 'string':
        d.type = 4
    elif ftype == 'stringlist':
        d.type = 7
    elif ftype == 'intlist':
        d.type = 19 if rows else 22
    elif ftype == 'bytes':
        d.type = 8
    else:
        sys.exit('gen_dialogs: no type for ' + name)
    if d.type in (4, 5, 7, 8, 9, 23, 25, 10, 6):
        d.min = 0
        d.max = int(opts.get('max', first['max'] if first else 0))
    else:
        d.min = int(opts.get('min', 0))
        d.max = int(opts.get('max', 999999999))
    desc_text = first['desc'] if first else ''
    d.readonly = '[ro]' in desc_text or '][ro]' in desc_text
    d.zos = '[z/OS' in desc_text
    d.title = opts.get('title') or (OWN[name][2] if own else PARM_DESC.get(name)) \
        or PARM_DESC_BY_ID.get(d.id) or name
    d.short = opts.get('short', d.title)
    d.camel = camel(first['doc'] if first else '', name)
    d.hist = int(opts.get('hist', 0))
    d.flags = 0x10 if 'date' in opts else 0
    d.uses = {}
    d.cname = 'FD_' + name + ('' if not [k for k in DESCS if k[0] == name] else
                             '_' + str(len([k for k in DESCS if k[0] == name]) + 1))
    DESCS[key] = d
    DESC_ORDER.append(d)
    return d


HEADINGS = {}


def heading(title):
    if title not in HEADINGS:
        d = Desc()
        d.name = None
        d.id = 0
        d.type = 27
        d.title = title
        d.short = title
        d.camel = 'tab' + re.sub(r'[^A-Za-z]', '', title.title())
        d.keyword = None
        d.values = None
        d.min = d.max = 0
        d.zos = False
        d.readonly = True
        d.hist = 0
        d.flags = 0
        d.uses = {}
        d.cname = 'FD_TAB_' + re.sub(r'[^A-Za-z]', '', title.title()).upper()
        HEADINGS[title] = d
        DESC_ORDER.append(d)
    return HEADINGS[title]

# --- conditions ------------------------------------------------------------


CONDS = {}
COND_ORDER = []


def cond_list(rows):
    return interned(CONDS, COND_ORDER, 'CD', rows)


def parse_cond(text):
    rows = []
    for group in text.split(';'):
        flags = 0
        if group.endswith('!'):
            flags |= 0x80000000
            group = group[:-1]
        if group.endswith('?'):
            flags |= 0x1000
            group = group[:-1]
        a, vals = group.split(':')
        vs = vals.split('|')
        for v in vs:
            rows.append((int(a), int(v, 0), flags))
    return rows


def type_cond(d, def_opts):
    """Queue-type condition of an attribute of a queue kind."""
    if 'typeattr' not in def_opts or not d.name or d.name not in PARM_LINES:
        return []
    types = set()
    for l in PARM_LINES[d.name]:
        for k in kinds_of(l):
            if k in QUEUE_TYPES:
                types.add(QUEUE_TYPES[k])
    if not types or {1, 2, 3, 6} <= types:
        return []
    attr = int(def_opts['typeattr'])
    return [(attr, t, 0) for t in sorted(types)]

# --- definitions -----------------------------------------------------------


def takes(code, write, name):
    """Whether a field is a parameter of a command: a writing command takes
    every attribute; another IBM MQ command only the parameters its facts
    name (an inquiry or delete carries its keys, not the values shown)."""
    return write or code >= 10000 or code not in CMD_PARMS or name in CMD_PARMS[code]


def uses_of(def_opts):
    out = []
    for u in def_opts.get('uses', '').split(','):
        if not u:
            continue
        write = u.endswith(':w')
        out.append((int(u.rstrip(':w')), write))
    return out


for df in DEFS:
    opts = df['opts']
    ctx = opts.get('ctx', 'queue')
    entries = []
    for fl in df['fields']:
        if 'tab' in fl:
            entries.append({'desc': heading(fl['tab']), 'flags': 0, 'cond': None,
                            'default': None, 'mqcd': None})
            continue
        d = descriptor(fl['name'], ctx)
        fo = fl['opts']
        flags = int(fo.get('flags', '0'), 0)
        if d.readonly:
            flags |= 0x2
        rows = parse_cond(fo['cond']) if 'cond' in fo else type_cond(d, opts)
        cond = cond_list(rows)
        # wcond: the condition of the commands that write the attribute,
        # where they take it in fewer cases than the dialog shows it
        wcond = cond_list(parse_cond(fo['wcond'])) if 'wcond' in fo else cond
        if 'use' in fo:
            uses = [(int(fo['use']), False)]
        else:
            uses = [(c, w) for c, w in uses_of(opts) if takes(c, w, d.name)]
        uses += [(int(c), False) for c in fo.get('also', '').split(',') if c]
        uses = [(c, w) for c, w in uses if str(c) not in fo.get('not', '').split(',')]
        for code, write in uses:
            if write and (flags & 0x2):
                continue
            d.uses.setdefault(code, wcond if write else cond)
        entries.append({'desc': d, 'flags': flags, 'cond': cond,
                        'default': fo.get('default'), 'mqcd': fo.get('mqcd')})
    df['entries'] = entries

for lv in LISTS.values():
    ctx = 'message' if lv['kind'] == 2 else 'queue'
    lv['descs'] = [(descriptor(n, ctx), fl) for n, fl in lv['cols']]

# --- writing ---------------------------------------------------------------


def cstr(s):
    if s is None:
        return 'nullptr'
    return '"' + s.replace('\\', '\\\\').replace('"', '\\"') + '"'


HEAD = '''/* Generated by scripts/gen_dialogs.py from the IBM MQ facts, the
 * program's own ids (scripts/mqown.tsv) and the selection in
 * scripts/dialogs.sel: do not edit; change them and run it again.
 * {what} */
#include "pcfdefs.h"

'''

USES = {}
USE_ORDER = []


def use_list(d):
    return interned(USES, USE_ORDER, 'CU', sorted(d.uses.items(), key=lambda kv: kv[0]))


for d in DESC_ORDER:
    d.uselist = use_list(d)

out = []
out.append('/* ---- value tables ---- */')
for key in VT_ORDER:
    out.append(f'static const PCFValueDef {VALUE_TABLES[key]}[] = {{')
    for c, v, disp, kw in key:
        out.append(f'    {{ 0, 0, 0, {v}, {cstr(disp)}, {cstr(kw)} }},  /* {c} */')
    out.append('    { 0, 0, 0, 0, nullptr, nullptr }')
    out.append('};')
out.append('')
out.append('/* ---- condition rows ---- */')
for key in COND_ORDER:
    body = ', '.join(f'{{ {a}, {v}, 0x{fl:X} }}' for a, v, fl in key)
    out.append(f'extern const PCFDependency {CONDS[key]}[] = {{ {body}, {{ 0, 0, 0 }} }};')
out.append('')
out.append('/* ---- command-use rows ---- */')
for key in USE_ORDER:
    body = ', '.join(f'{{ {c}, {cd or "nullptr"}, 0 }}' for c, cd in key)
    out.append(f'static const PCFCommandUse {USES[key]}[] = {{ {body}, {{ 0, nullptr, 0 }} }};')
out.append('')
out.append('/* ---- field descriptors ---- */')
for d in DESC_ORDER:
    need1 = 19 if d.zos else 0
    out.append(f'extern const PCFFieldDef {d.cname} = {{ {need1}, 0, 0, {cstr(d.title)}, {cstr(d.camel)}, '
               f'{d.uselist or "nullptr"}, {d.hist}, {cstr(d.keyword)}, {cstr(d.short)}, {d.id}, '
               f'{d.type}, {d.min}, {d.max}, {d.values or "nullptr"}, 0x{d.flags:X} }};')
out.append('')
out.append(f'extern const int PCFDescriptorCount = {len(DESC_ORDER)};')
out.append(f'extern const int PCFValueTableCount = {len(VT_ORDER)};')
out.append('extern const PCFFieldDef *const PCFAllDescriptors[] = {')
for d in DESC_ORDER:
    out.append(f'    &{d.cname},')
out.append('    nullptr')
out.append('};')
with open(os.path.join(OUT, 'pcftables_fields.cpp'), 'w', encoding='utf-8', newline='\n') as f:
    f.write(HEAD.format(what='Field descriptors, value tables, command-use and condition rows.'))
    f.write('\n'.join(out) + '\n')

# definitions file
CNAME = {'qmgr': 'PCFQueueManagerDef', 'queue': 'PCFQueueDef', 'queues': 'PCFQueueListDef',
         'msgdet': 'PCFMessageDetailDef', 'msgs': 'PCFMessageListDef', 'msg': 'PCFMessageDef',
         'cmdlvl': 'PCFCommandLevelDef', 'qmgrinfo': 'PCFQmgrInfoDef',
         'client': 'PCFClientChannelDef', 'mqsc': 'PCFMqscConsoleDef',
         'brokersubs': 'PCFBrokerSubscribersDef', 'brokerpubs': 'PCFBrokerPublishersDef'}
out = []
for d in DESC_ORDER:
    out.append(f'extern const PCFFieldDef {d.cname};')
for key in COND_ORDER:
    out.append(f'extern const PCFDependency {CONDS[key]}[];')
out.append('')
for lv in LISTS.values():
    out.append(f'static PCFLISTENTRY CL_{lv["var"]}[] = {{')
    for d, fl in lv['descs']:
        out.append(f'    {{ &{d.cname}, 0x{fl:X} }},')
    out.append('    { nullptr, 0 }')
    out.append('};')
    # not const: the current list is the one a profile's column list sets
    out.append(f'static PCFListDef LD_{lv["var"]} = {{ CL_{lv["var"]}, CL_{lv["var"]}, '
               f'{lv["attr"]}, {lv["kind"]} }};')
out.append('')
COUNTS = []
for df in DEFS:
    v = df['var']
    if df['acts']:
        out.append(f'static const PCFActionDef AC_{v}[] = {{')
        for a in df['acts']:
            o = a['opts']
            flags = int(o.get('flags', '0'), 0)
            if a.get('sep'):
                flags |= 0x80
            if a.get('sub'):
                flags |= 0x80000
            if a.get('end'):
                flags |= 0x100000 | 0x20
            flags2 = int(o.get('flags2', '0'), 0)
            verb = o.get('verb') or CMD_VERB.get(a['cmd'])
            out.append(f'    {{ 0, 0, 0, {a["cmd"]}, {a["id"]}, {cstr(verb)}, {cstr(a["text"] or None)}, '
                       f'0x{flags:X}, 0x{flags2:X}, nullptr, {cstr(o.get("confirm"))}, '
                       f'{cstr(o.get("plural"))}, {cstr(o.get("status"))} }},')
        out.append('    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr }')
        out.append('};')
    if df['entries']:
        out.append(f'static PCFFieldEntry FE_{v}[] = {{')
        for e in df['entries']:
            d = e['desc']
            mqcd = e['mqcd'] if e['mqcd'] is not None else '0xFFFFFFFF'
            out.append(f'    {{ 0, 0, 0, {e["cond"] or "nullptr"}, &{d.cname}, 0, 0x{e["flags"]:X}, '
                       f'{cstr(e["default"])}, {mqcd}, 0 }},')
        out.append('    { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 }')
        out.append('};')
    else:
        out.append(f'static PCFFieldEntry FE_{v}[] = {{ {{ 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 }} }};')
    nacts = len(df['acts'] or DEF_BY_VAR[df['opts']['actions']]['acts']) if (df['acts'] or 'actions' in df['opts']) else 0
    COUNTS.append((df['opts'].get('title', v), df['opts'].get('table'), nacts, len(df['entries'])))
out.append('')


def def_init(df):
    o = df['opts']
    v = df['var']
    acts = f'AC_{v}' if df['acts'] else (f'AC_{o["actions"]}' if 'actions' in o else 'nullptr')
    lst = f'&LD_{o["list"]}' if 'list' in o else 'nullptr'
    detail = f'FE_{o["detail"]}' if 'detail' in o else 'nullptr'
    short = None if o.get('short', '-') == '-' else o['short']
    return (f'{{ 0, 0, 0, {cstr(o["title"])}, {acts}, FE_{v}, {o.get("objid", "0")}, '
            f'{o.get("menu", "0")}, {lst}, {detail}, 0, 0, {o.get("flags", "0")}, '
            f'{o.get("second", "0")}, {cstr(o.get("mqsc"))}, {cstr(short)}, nullptr }}')


qn = []
for df in DEFS:
    if df['opts'].get('table') == 'none':
        continue
    if df['var'].startswith('qnames'):
        qn.append(df)
        continue
    out.append(f'PCFCommandDef {CNAME[df["var"]]} = {def_init(df)};')
out.append('PCFCommandDef PCFQueueNamesDef[4] = {')
for df in qn:
    out.append(f'    {def_init(df)},')
out.append('};')
out.append('')
out.append('PCFCommandDef *const PCFCommandDefs[] = {')
for df in DEFS:
    if df['opts'].get('table') == 'first':
        out.append(f'    &{CNAME[df["var"]]},')
out.append('    nullptr')
out.append('};')
out.append('PCFCommandDef *const PCFInternalDefs[] = {')
k = 0
for df in DEFS:
    if df['opts'].get('table') == 'second':
        if df['var'].startswith('qnames'):
            out.append(f'    &PCFQueueNamesDef[{k}],')
            k += 1
        else:
            out.append(f'    &{CNAME[df["var"]]},')
out.append('    nullptr')
out.append('};')
with open(os.path.join(OUT, 'pcftables_defs.cpp'), 'w', encoding='utf-8', newline='\n') as f:
    f.write(HEAD.format(what='Column lists, action rows, field lists and the definitions.'))
    f.write('\n'.join(out) + '\n')

nacts = 0
for title, table, a, fcount in COUNTS:
    if table == 'none':
        print(f'  {title}: {fcount} fields (detail list)')
        continue
    print(f'  {title} ({table}): {a} actions, {fcount} fields')
    if title != 'Queue List' or table == 'first':
        pass
print(f'descriptors {len(DESC_ORDER)}, value tables {len(VT_ORDER)}, '
      f'action rows {sum(len(d["acts"]) for d in DEFS)}, condition lists {len(COND_ORDER)}, '
      f'command-use lists {len(USE_ORDER)}')
