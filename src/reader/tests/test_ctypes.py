"""The C interface through Python's ctypes, as other languages' FFIs use it:
python3 test_ctypes.py LIBRARY FOLDER (the packs make_packs wrote)."""
import ctypes
import sys

lib = ctypes.CDLL(sys.argv[1])
folder = sys.argv[2]
P = ctypes.c_void_p
lib.wfpak_open_file.argtypes = [ctypes.POINTER(P), ctypes.c_char_p, ctypes.c_char_p, ctypes.c_char_p]
lib.wfpak_errmsg.argtypes = [P]
lib.wfpak_errmsg.restype = ctypes.c_char_p
lib.wfpak_count.argtypes = [P]
lib.wfpak_count.restype = ctypes.c_size_t
lib.wfpak_name.argtypes = [P, ctypes.c_size_t]
lib.wfpak_name.restype = ctypes.c_char_p
lib.wfpak_size.argtypes = [P, ctypes.c_size_t]
lib.wfpak_size.restype = ctypes.c_uint32
lib.wfpak_find.argtypes = [P, ctypes.c_char_p]
lib.wfpak_find.restype = ctypes.c_long
lib.wfpak_read.argtypes = [P, ctypes.c_size_t, ctypes.c_uint64, ctypes.c_void_p, ctypes.c_size_t]
lib.wfpak_read.restype = ctypes.c_int64
lib.wfpak_close.argtypes = [P]
lib.wfpak_version.restype = ctypes.c_char_p


def content(k, size):
    return bytes((((i * 2654435761) & 0xFFFFFFFF) >> 24) ^ (k * 17 & 0xFF) for i in range(size))


def read_pack(name, key, mask):
    pack = P()
    code = lib.wfpak_open_file(ctypes.byref(pack), f"{folder}/{name}".encode(), key, mask)
    assert code == 0, lib.wfpak_errmsg(pack)
    assert lib.wfpak_count(pack) == 12
    for k in range(12):
        size = 0 if k % 7 == 0 else (k * 7919) % 70000
        assert lib.wfpak_name(pack, k) == f"data\\dir{k % 5}\\File{k}.bin".encode()
        assert lib.wfpak_find(pack, f"data/dir{k % 5}/file{k}.bin".encode()) == k
        assert lib.wfpak_size(pack, k) == size
        buffer = ctypes.create_string_buffer(size + 10)
        assert lib.wfpak_read(pack, k, 0, buffer, size + 10) == size
        assert buffer.raw[:size] == content(k, size), f"{name}: entry {k} differs"
    assert lib.wfpak_read(pack, 99, 0, None, 0) == -1
    assert lib.wfpak_find(pack, b"missing") == -1
    lib.wfpak_close(pack)


read_pack("plain.pak", None, None)
read_pack("masked.pak", b"$11224488", b"$80000001")
read_pack("game.exe", b"11224488", b"80000001")
bad = P()
assert lib.wfpak_open_file(ctypes.byref(bad), b"/no/such/pack", None, None) == 1 and bad
assert lib.wfpak_errmsg(bad)
lib.wfpak_close(bad)
print("ctypes:", lib.wfpak_version().decode(), "ok")
