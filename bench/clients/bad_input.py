#!/usr/bin/env python3
"""What `kelvo serve` on loopback answers to bad input, and how soon: 1 MB of header fields,
a 10 GB Content-Length with only the head sent, conflicting and malformed Content-Length, and a
request whose client shuts its sending side right after it.

    python3 bench/clients/bad_input.py PORT
"""
import socket
import sys
import time


def ask(port, data, half_close=False):
    connection = socket.create_connection(("127.0.0.1", port))
    connection.settimeout(15)
    start = time.monotonic()
    try:
        connection.sendall(data)
        if half_close:
            connection.shutdown(socket.SHUT_WR)
        answer = connection.recv(200)
        line = answer.split(b"\r\n", 1)[0].decode() if answer else "closed without an answer"
    except (socket.timeout, ConnectionResetError, BrokenPipeError) as failure:
        line = type(failure).__name__
    connection.close()
    return f"{line} after {time.monotonic() - start:.3f} s"


def main():
    port = int(sys.argv[1])
    get = b"GET /table/orders HTTP/1.1\r\nHost: 127.0.0.1\r\n"
    post = (b"POST /table/orders HTTP/1.1\r\nHost: 127.0.0.1\r\n"
            b"Content-Type: application/x-www-form-urlencoded\r\n")
    fields = b"".join(b"X-F%d: %s\r\n" % (i, b"x" * 1000) for i in range(1000))
    print("1 MB of header fields:    ", ask(port, get + fields + b"\r\n"))
    print("Content-Length 10 GB:     ", ask(port, post + b"Content-Length: 10000000000\r\n\r\n"))
    print("conflicting lengths:      ",
          ask(port, post + b"Content-Length: 3\r\nContent-Length: 5\r\n\r\na=1"))
    print("malformed length:         ", ask(port, post + b"Content-Length: 3x\r\n\r\na=1"))
    print("half-closed after request:", ask(port, get + b"\r\n", half_close=True))


if __name__ == "__main__":
    main()
