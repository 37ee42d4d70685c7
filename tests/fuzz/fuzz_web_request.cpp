// Requests as a phone, or someone trying, may send them: method, path, query,
// body and address, separated by lines "~~~~"; the path may be given under the
// event's token by starting it with "@". Nothing crashes; without the token
// every answer is 404; every answer is one of the expected statuses; a JSON
// answer never holds markup; a check-in reaches the store only for a real code.
#include "FuzzSupport.h"

#include "checkin/CheckInStore.h"
#include "web/WebSite.h"

using namespace tessaly;

namespace {

std::shared_ptr<const CheckInCodes> fixedCodes()
{
    static const auto codes = std::make_shared<const CheckInCodes>(CheckInCodes::parse(
        "token|ABCDEFGHJKMNPQRSTUVWXYZ2\r\nhall|ABCDEFGHJKMNPQRSTUVWXYZ2\r\n"
        "ABCDEFGH|1|\xd5\xc5\xce\xb0\r\nBCDEFGHJ|1|<b>x</b>\r\nCDEFGHJK|2|\xd5\xc5\xce\xb0\r\n"));
    return codes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto parts = fuzz::splitParts(fuzz::asText(data, size), 5);
    std::int64_t now = 1765300000000;
    WebSite site(fixedCodes(), nullptr, {size % 2 == 0 ? WebSite::HallCode::Required : WebSite::HallCode::Checked, {size % 3 == 0, 2, 3}}, [&now] { return now; });
    WinnersBoard board;
    board.version = 7;
    board.awards.push_back({"A<", "P&", 2, {{"\xd5\xc5**", EntryKey{"\xd5\xc5\xce\xb0", 1}, size % 5 == 0}}});
    site.publish(board);

    std::string path = parts[1];
    const bool underToken = !path.empty() && path[0] == '@';
    if (underToken)
        path = "/e/" + fixedCodes()->token() + "/" + path.substr(1);
    HttpRequest request{parts[0], path, parts[2], parts[3].substr(0, WebSite::kMaxBody), parts[4]};
    for (int round = 0; round < 12; ++round) {  // past the rate limit
        const WebSite::Handled h = site.handle(request);
        const int s = h.response.status;
        FUZZ_CHECK(s == 200 || s == 400 || s == 403 || s == 404 || s == 405 || s == 409 || s == 429 || s == 503);
        if (!path.starts_with("/e/" + fixedCodes()->token() + "/"))
            FUZZ_CHECK(s == 404 && !h.checkIn);
        if (h.response.contentType.starts_with("application/json"))
            FUZZ_CHECK(h.response.body.find('<') == std::string::npos);
        if (h.checkIn)
            FUZZ_CHECK(fixedCodes()->findCode(h.checkIn->code) != nullptr && isDeviceKey(h.checkIn->device));
        for (auto answer : {CheckInStore::Answer::CheckedIn, CheckInStore::Answer::DeviceUsed})
            FUZZ_CHECK(WebSite::checkInAnswer(answer, h.shownName).body.find('<') == std::string::npos);
    }
    return 0;
}
