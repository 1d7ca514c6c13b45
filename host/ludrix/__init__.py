"""ludrix-host: a LUDRIX host that speaks Telnet on 127.0.0.1."""
