"""A user's FUSE server for one file: one_file_fuse.py MOUNTPOINT CONTENT MODE LOG

Mounts itself on MOUNTPOINT (a file) through fusermount3, claims that the file is root's
with MODE (octal, e.g. 100600) and serves CONTENT's bytes. Every request is logged to LOG
as "OPCODE UID", so that a test can tell whether root's run asked the user's server
anything; once LOG holds a line (the kernel's INIT), the mount stands."""
import os, socket, struct, subprocess, sys

mountpoint, content_path, mode, log_path = sys.argv[1], sys.argv[2], int(sys.argv[3], 8), sys.argv[4]
content = open(content_path, 'rb').read()
ours, theirs = socket.socketpair(socket.AF_UNIX, socket.SOCK_STREAM)
mounting = subprocess.Popen(['fusermount3', '-o', 'allow_other', '--', mountpoint], pass_fds=[theirs.fileno()],
                            env=dict(os.environ, _FUSE_COMMFD=str(theirs.fileno())))
_, ancillary, _, _ = ours.recvmsg(1, socket.CMSG_LEN(4))
fuse = struct.unpack('i', ancillary[0][2][:4])[0]
mounting.wait()
log = open(log_path, 'a', buffering=1)
attr = struct.pack('<QQQQQQIIIIIIIIII', 2, len(content), 1, 0, 0, 0, 0, 0, 0, mode, 1, 0, 0, 0, 4096, 0)
INIT, GETATTR, OPEN, READ, GETXATTR, LISTXATTR = 26, 3, 14, 15, 22, 23


def reply(unique, error=0, body=b''):
    os.write(fuse, struct.pack('<IiQ', 16 + len(body), error, unique) + body)


while True:
    try:
        request = os.read(fuse, 1 << 17)
    except OSError:
        break
    opcode, unique, _, uid = struct.unpack('<IQQI', request[4:28])
    log.write('%d %d\n' % (opcode, uid))
    argument = request[40:]
    if opcode == INIT:
        reply(unique, 0, struct.pack('<IIIIHHIIHHII24x', 7, 31, 0, 0, 0, 0, 4096, 1, 0, 0, 0, 0))
    elif opcode == GETATTR:
        reply(unique, 0, struct.pack('<QII', 0, 0, 0) + attr)
    elif opcode == OPEN:
        reply(unique, 0, struct.pack('<QIi', 1, 0, 0))
    elif opcode == READ:
        _, offset, size = struct.unpack('<QQI', argument[:20])
        reply(unique, 0, content[offset:offset + size])
    elif opcode == LISTXATTR:
        reply(unique, 0, struct.pack('<II', 0, 0) if struct.unpack('<I', argument[:4])[0] == 0 else b'')
    elif opcode == GETXATTR:
        reply(unique, -61)  # ENODATA
    elif opcode not in (2, 36, 42):  # FORGET, INTERRUPT, BATCH_FORGET take no answer
        reply(unique, 0 if opcode in (18, 20, 25, 38) else -38)
