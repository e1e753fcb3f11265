#!/usr/bin/env python3
"""A loopback OpenAI-compatible chat-completions endpoint that answers every POST with one
canned lookup. Prints the port it listens on, then serves until killed. With RECORD, the
body of the first request is written to that file (to replay it with another client).

    python3 bench/chat_completion_server.py [PORT [RECORD]]   (port 0: any free port)
"""
import http.server
import json
import sys

CONTENT = {
    "phonetic": "/teɪk ɒf/",
    "contextualMeaning": "起飞；迅速成功",
    "commonMeanings": ["起飞", "脱下", "突然成功"],
    "partOfSpeech": "phrasal verb",
    "collocations": ["take off quickly", "take off one's coat"],
    "examples": ["The plane took off on time. 飞机准时起飞。"],
    "translation": "起飞",
    "usageNotes": ["描述飞机时最常用"],
    "suggestedExpressions": ["lift off", "become popular"],
}
BODY = json.dumps({
    "id": "chatcmpl-bench",
    "object": "chat.completion",
    "choices": [{"index": 0, "message": {"role": "assistant", "content": json.dumps(CONTENT, ensure_ascii=False)},
                 "finish_reason": "stop"}],
}, ensure_ascii=False).encode("utf-8")
RECORD = sys.argv[2] if len(sys.argv) > 2 else None
RECORDED = []


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        if RECORD and not RECORDED:
            RECORDED.append(True)
            with open(RECORD, "wb") as file:
                file.write(body)
        self.send_response(200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(BODY)))
        self.end_headers()
        self.wfile.write(BODY)

    def log_message(self, *args):
        pass


def main():
    port = int(sys.argv[1]) if len(sys.argv) > 1 else 0
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
