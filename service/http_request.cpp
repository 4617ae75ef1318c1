#include "service/http_client.h"

namespace tavrix {

std::string requestHead(const RequestUrl& url, const std::string& contentType, size_t contentLength,
                        const std::string& cookies) {
  // Every request is a POST, and a POST always goes as HTTP/1.0.
  std::string head = "POST " + url.target + " HTTP/1.0\r\n";
  head += "Connection: keep-alive\r\n";
  head += "Content-Type: " + contentType + "\r\n";
  head += "Content-Length: " + std::to_string(contentLength) + "\r\n";
  head += "Host: " + hostHeader(url) + "\r\n";
  head += "Accept: text/html, */*\r\n";
  head += "Accept-Encoding: big5\r\n";
  head += "User-Agent: Mozilla/4.0 (compatible; Indy Library)\r\n";
  if (!cookies.empty()) head += "Cookie: " + cookies + "\r\n";
  head += "\r\n";
  return head;
}

std::string HttpClient::post(const std::string& url, const std::string& contentType,
                             const std::string& body) {
  RequestUrl target = splitUrl(url);
  for (int requests = 1;; ++requests) {
    HttpReply reply = exchange(target, contentType, body);
    for (const std::string& c : reply.setCookies) cookies_.store(target, c);
    bool redirect =
        (reply.status >= 300 && reply.status <= 399 && reply.status != 304) || reply.hasLocation;
    if (redirect) {
      if (requests >= limits.maxRequests) return {};
      if (!reply.hasLocation)
        throw HttpFailure("redirect " + std::to_string(reply.status) + " without a Location");
      RequestUrl next = followLocation(target, reply.location);
      // Never from inside TLS back to clear text, where the password would show.
      if (target.tls && !next.tls)
        throw HttpFailure("the head office redirected to a plain http address; refused");
      target = next;
      continue;
    }
    if (reply.status < 200 || reply.status > 299)
      throw HttpStatusFailure(reply.status, std::move(reply.body));
    return std::move(reply.body);
  }
}

}  // namespace tavrix
