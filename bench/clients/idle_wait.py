#!/usr/bin/env python3
"""How long a normal request waits behind idle connections to `kelvo serve` on loopback.

For each count N it opens N connections that send nothing (50 from each loopback address from
127.0.0.2 on, below the server's limit per address), then times one GET of PATH on a fresh
connection from 127.0.0.1, giving it at most 60 seconds, and closes them all.

    python3 bench/clients/idle_wait.py PORT /table/orders 8,32,200,1000
"""
import socket
import sys
import time


def main():
    port, path, counts = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    for count in (int(n) for n in counts.split(",")):
        idle = [socket.create_connection(("127.0.0.1", port),
                                         source_address=(f"127.0.0.{2 + i // 50}", 0))
                for i in range(count)]
        time.sleep(0.3)
        start = time.monotonic()
        client = socket.create_connection(("127.0.0.1", port))
        client.settimeout(60)
        client.sendall(f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"
                       .encode())
        answer = b""
        try:
            while chunk := client.recv(65536):
                answer += chunk
        except socket.timeout:
            pass
        elapsed = time.monotonic() - start
        status = answer.split(b"\r\n", 1)[0].decode(errors="replace") if answer \
            else "no answer within 60 s"
        print(f"{count} idle connections: {elapsed:.3f} s  {status}")
        client.close()
        for connection in idle:
            connection.close()
        time.sleep(1)


if __name__ == "__main__":
    main()
