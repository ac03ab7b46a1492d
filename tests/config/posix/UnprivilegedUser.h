// Running a check as an unprivileged user, for rules that root is exempt from.
#pragma once

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>

namespace mq::test {

// The user and group the checks run as: nobody and nogroup.
constexpr uid_t UNPRIVILEGED_ID = 65534;

// Runs `body` in a forked child whose user and group IDs (real, effective
// and saved) are UNPRIVILEGED_ID, without supplementary groups, or with the
// one group given. What the body returned, or nothing when the child could
// not become that user (the test is not root) or did not end normally. The
// body must not use the test's assertions: they would be reported in the
// child.
template <typename Body>
std::optional<bool> runAsUnprivilegedUser(Body&& body, std::optional<gid_t> memberOf = std::nullopt) {
    pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(memberOf ? 1 : 0, memberOf ? &*memberOf : nullptr) != 0 ||
            ::setresgid(UNPRIVILEGED_ID, UNPRIVILEGED_ID, UNPRIVILEGED_ID) != 0 ||
            ::setresuid(UNPRIVILEGED_ID, UNPRIVILEGED_ID, UNPRIVILEGED_ID) != 0)
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

}  // namespace mq::test
