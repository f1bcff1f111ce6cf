# make-document.py SAMPLE OUT N: builds a document of N objects from the sample's blocks:
# every object kind, captions (some not ASCII), properties, fractional and huge coordinates,
# links between generated objects.
import re, sys
src = open(sys.argv[1], encoding='utf-8').read().replace('\r\n', '\n').split('\n')
blocks, cur = [], None
for line in src:
    if cur is None:
        if line.strip(): cur = [line]
    else:
        cur.append(line)
        if line == 'End': blocks.append(cur); cur = None
head = [b for b in blocks if b[0] in ('TSchemeData', 'TSchemeLayer')]
objs = [b for b in blocks if b[0] not in ('TSchemeData', 'TSchemeLayer', 'TSchemeLink')]
pics = [b for b in objs if 'Picture' in b[0]]
plain = [b for b in objs if 'Picture' not in b[0]]
N = int(sys.argv[3])
out = []
for b in head: out += b
fracs = ['0.1', '0.333333333333333', '1.5', '-2.25', '1E20', '123456.789', '1E-5', '7']
ids = {}
for k in range(N):
    t = pics[k % len(pics)] if k % 5000 == 4999 else plain[k % len(plain)]
    layer = next(l for l in t if l.startswith('  LayerID='))
    lid = layer.split('=')[1]
    ids[lid] = ids.get(lid, 0) + 1
    dx, dy = (k % 300) * 50, (k // 300) * 40
    for l in t:
        m = re.match(r'  ([XY])(\d+)=(.*)', l)
        if l.startswith('  ID='): l = '  ID=%d' % ids[lid]
        elif m and m.group(3).lstrip('-').isdigit():
            v = int(m.group(3)) + (dx if m.group(1) == 'X' else dy)
            l = '  %s%s=%s' % (m.group(1), m.group(2), fracs[(k + int(m.group(2))) % len(fracs)] if k % 97 == 0 else v)
        elif l.startswith('  Text=') and k % 13 == 0: l = l + ' \u00e9\u4e2d #%d' % k
        out.append(l)
    if k % 17 == 0 and 'Picture' not in t[0]:
        end = out.pop()
        out += ['  Properties=>', '    tag=%d' % k, '    End', '  PropertiesEnd=>', end]
for k in range(1, min(ids.get('3', 0), ids.get('4', 0)), 7):
    out += ['TSchemeLink', '  ParentLinkType=-1', '  ParentId=%d' % k, '  ParentLayerId=3',
            '  ChildLinkType=-1', '  ChildId=%d' % k, '  ChildLayerId=4', 'End']
open(sys.argv[2], 'w', encoding='utf-8', newline='\r\n').write('\n'.join(out) + '\n')
