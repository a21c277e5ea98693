#include "FakeTool.h"

#include <QDir>
#include <QFile>

QString writeFakeTool(const QString &directory, const QByteArray &script, bool executable)
{
    QDir().mkpath(directory);
    QFile file(QDir(directory).absoluteFilePath(QStringLiteral("exiftool")));
    const QByteArray text = script.startsWith("#!") ? script : "#!/bin/sh\n" + script + "\n";
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        qFatal("cannot write fake tool %s", qPrintable(file.fileName()));
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther
                        | (executable ? QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther : QFile::Permissions()));
    return file.fileName();
}

QString writeStayOpenStandIn(const QString &directory, const QByteArray &version)
{
    static const char perlStandIn[] = R"(#!/usr/bin/perl
use strict; use warnings; $| = 1;
sub act {
    my $path = $_[-1];
    if ($path =~ m{^(.*)/(hang[^/]*)$}) { open(my $mark, '>', "$1/marks/$2.started"); close($mark) if $mark; sleep 60; }
    kill 'KILL', $$ if $path =~ /crash/;
    print STDERR 'Warning: no line break' and return 1 if $path =~ /nonewline/;
    print STDERR "Error: File not found - x.jpg\n" and return 1 if $path =~ /notfound/;
    print STDERR "\xff\xfebad" and return 2 if $path =~ /notutf8/;
    return 1 if $path =~ /silent/;
    return 0 if $path =~ /nothing/;
    print '[{"A": tru' and return 0 if $path =~ /garbage/;
    print '{"A":1}' and return 0 if $path =~ /object/;
    print STDERR "Warning: minor\n" if $path =~ /warning/;
    if ($path =~ /huge/) { print '[{"Big":"', 'a' x 50000000, '"}]'; print STDERR 'e' x 200000, "\n"; return 0; }
    print qq([{"Version":"VERSION"}]\n) and return 0;
}
exit act(@ARGV) unless @ARGV == 4 and $ARGV[0] eq '-stay_open';
my @args;
while (defined(my $line = <STDIN>)) {
    $line =~ s/[\r\n]+$//;
    if ($line =~ s/^#\[CSTR\]//) { $line =~ s/\\(.)/$1 eq 'n' ? "\n" : $1 eq 'r' ? "\r" : $1/ge; }
    else { $line =~ s/^\s+//; next if $line eq '' or $line =~ /^#/; }
    exit 0 if $line eq 'False';
    if ($line =~ /^-execute(\d*)$/) {
        my ($n, %echo, @rest) = ($1, 3 => [], 4 => []);
        while (defined(my $arg = shift @args)) {
            if ($arg =~ /^-echo([34])$/) { push @{$echo{$1}}, shift @args; } else { push @rest, $arg; }
        }
        my $status = act(@rest);
        s/\$\{status\}/$status/g for @{$echo{3}}, @{$echo{4}};
        print STDERR map { "$_\n" } @{$echo{4}};
        print map { "$_\n" } @{$echo{3}}, "{ready$n}";
        next;
    }
    push @args, $line;
}
)";
    return writeFakeTool(directory, QByteArray(perlStandIn).replace("VERSION", version));
}
