# Files whose archive holds every kind of record: a jar (zlib), a PNG cut into several IDAT chunks,
# a member of GNU gzip (our model's record) and an x86 program (converted).
import os, shutil, struct, subprocess, sys, zipfile, zlib

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
with zipfile.ZipFile(os.path.join(out, 'a.jar'), 'w', zipfile.ZIP_DEFLATED) as z:
    for i in range(3):
        z.writestr('a/%d.class' % i, ''.join('k%d=%d;' % (j, j * i) for j in range(200)))

def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

rows = b''.join(bytes([y % 5]) + bytes((x * 3 + y * 7) // 5 % 256 for x in range(96))
                for y in range(48))
packer = zlib.compressobj(6, zlib.DEFLATED, 12, 8, zlib.Z_FILTERED)
stream = packer.compress(rows) + packer.flush()
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 24, 48, 8, 6, 0, 0, 0))
for at in range(0, len(stream), 200):
    png += chunk(b'IDAT', stream[at:at + 200])
with open(os.path.join(out, 'icon.png'), 'wb') as f:
    f.write(png + chunk(b'IEND', b''))
with open(os.path.join(out, 'true.gz'), 'wb') as f:
    subprocess.run(['gzip', '-9', '-n', '-c', '/bin/true'], stdout=f, check=True)
shutil.copy('/bin/true', os.path.join(out, 'true'))
