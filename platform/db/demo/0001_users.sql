-- Demo users; every password equals the login.
insert into sys.t_user (c_name, c_login, c_pass_hash) values
    ('Иванов Иван Иванович', 'ivanov', sys.hash_password('ivanov')),
    ('Петрова Мария Сергеевна', 'petrova', sys.hash_password('petrova'));

insert into sys.t_right (id_user, c_action)
select id, 'BigDaddy' from sys.t_user where c_login = 'ivanov';
