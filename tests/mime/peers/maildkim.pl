# Mail::DKIM as a peer: sign or verify the message on standard input.
#   sign KEYFILE SELECTOR DOMAIN HEADER/BODY ALGORITHM: writes the signed message.
#   verify RECORDFILE: prints the result word; every key lookup gets the record.
use strict;
use warnings;
use Mail::DKIM::Signer;
use Mail::DKIM::Verifier;
use FindBin;
use lib $FindBin::Bin;
use FakeResolver;

binmode STDIN;
binmode STDOUT;
my $message = do { local $/; <STDIN> };
my $mode = shift @ARGV;
if ($mode eq 'sign') {
    my ($keyfile, $selector, $domain, $method, $algorithm) = @ARGV;
    my $signer = Mail::DKIM::Signer->new(
        Algorithm => $algorithm, Method => $method, Domain => $domain,
        Selector => $selector, KeyFile => $keyfile,
        Headers => 'from:to:subject:date:message-id:mime-version:content-type');
    $signer->PRINT($message);
    $signer->CLOSE;
    print $signer->signature->as_string, "\r\n", $message;
} else {
    FakeResolver::install($ARGV[0]);
    my $verifier = Mail::DKIM::Verifier->new();
    $verifier->PRINT($message);
    $verifier->CLOSE;
    print $verifier->result, "\n";
}
