#!/usr/bin/env python3
"""npc-lsp's measured goals, on the real program over its pipes: a tree of 835 script files made
from rAthena's sample (copied until there are 835, the size of the real renewal tree, one of them
a file of 12,000 lines), then the first diagnostics of the last file of the load order after
initialize, the time and CPU of new diagnostics after each of 40 edits of the large file, and the
program's resident memory against the tree's script bytes. bench/LspBench.cpp measures the same
inside one process.
    measure-lsp.py BUILD_DIR [SHARED_DATA_DIR]   (default: ../shared/data beside the checkout)"""
import json, subprocess, sys, time, os, shutil, tempfile
here = os.path.dirname(os.path.abspath(__file__))
program = os.path.join(sys.argv[1], 'npc-lsp')
sample = os.path.join(sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, '..', '..', 'shared', 'data'), 'rathena', 'npc')
root = tempfile.mkdtemp(prefix='npc-lsp-measure-')
files=[l.strip()[4:] for l in open(sample+'/load-order.txt') if l.strip()]
lst=[]; total=0; last=None
for i in range(834):
    name='npc/copy%d/%s'%(i//len(files), files[i%len(files)])
    os.makedirs(os.path.dirname(os.path.join(root,name)), exist_ok=True)
    shutil.copy(os.path.join(sample,files[i%len(files)]), os.path.join(root,name))
    total+=os.path.getsize(os.path.join(root,name)); lst.append('npc: '+name); last=name
large=b''; i=0
while large.count(b'\n')<12000:
    large+=open(os.path.join(sample,files[i%len(files)]),'rb').read(); i+=1
large=b'\n'.join(large.split(b'\n')[:12000])+b'\n'
open(root+'/npc/large.txt','wb').write(large); total+=len(large); lst.append('npc: npc/large.txt')
os.makedirs(root+'/npc/re', exist_ok=True)
open(root+'/npc/re/scripts_main.conf','w').write('\n'.join(lst)+'\n')
p = subprocess.Popen([program,'--server','rathena'], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
def send(obj):
    b = json.dumps(obj).encode(); p.stdin.write(b'Content-Length: %d\r\n\r\n' % len(b) + b); p.stdin.flush()
def recv():
    h = b''
    while not h.endswith(b'\r\n\r\n'): h += p.stdout.read(1)
    n = int(h.split(b':')[1].split(b'\r')[0]); return json.loads(p.stdout.read(n))
def cpu():
    f=open('/proc/%d/stat'%p.pid).read().rsplit(')',1)[1].split()
    return (int(f[11])+int(f[12]))/os.sysconf('SC_CLK_TCK')
t0=time.time()
send({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"rootUri":"file://"+root,"capabilities":{}}}); recv()
for f in [last, 'npc/large.txt']:
    send({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"file://"+root+"/"+f,"text":open(root+"/"+f,encoding='latin-1').read()}}})
    while True:
        m=recv()
        if m.get("method")=="textDocument/publishDiagnostics" and m["params"]["uri"].endswith(f): break
    print("first diagnostics of", f, "%.3f s after initialize, %.2f s CPU"%(time.time()-t0, cpu()))
times=[]; cpus=[]
uri="file://"+root+"/npc/large.txt"
for k in range(40):
    line=(k*7919)%12000; add=k%2==0
    t=time.time(); c=cpu()
    send({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":uri,"version":k+2},"contentChanges":[{"range":{"start":{"line":line,"character":0},"end":{"line":line,"character":0 if add else 1}},"text":"/" if add else ""}]}})
    while True:
        m=recv()
        if m.get("method")=="textDocument/publishDiagnostics" and m["params"]["uri"]==uri: break
    times.append(time.time()-t); cpus.append(cpu()-c)
    # the other open file is checked again after; let it go by
    while True:
        m=recv()
        if m.get("method")=="textDocument/publishDiagnostics": break
cpus.sort(); print("edit CPU p90 %.1f ms, median %.1f ms"%(cpus[int(len(cpus)*0.9)]*1000, cpus[len(cpus)//2]*1000))
times.sort(); print("edit p90 %.1f ms, median %.1f ms"%(times[int(len(times)*0.9)]*1000, times[len(times)//2]*1000))
rss=int([l for l in open('/proc/%d/status'%p.pid) if l.startswith('VmRSS')][0].split()[1])*1024
print("tree %d files, %.1f MB of scripts; npc-lsp RSS %.1f MB = %.1f x"%(835,total/1e6,rss/1e6,rss/total))
send({"jsonrpc":"2.0","id":9,"method":"shutdown"}); recv(); send({"jsonrpc":"2.0","method":"exit"}); print("exit status", p.wait())
shutil.rmtree(root)
